#include "app/Tguiutility.h"
#include "app/Tmessagebox.h"
#include "app/UnitFormMain.h"
#include "platform/Tapptitle.h"

#include <QApplication>

#include <memory>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(GetApplicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(VARNOKI_VERSION));
    QApplication::setWindowIcon(GetProgramIcon());

    std::unique_ptr<TFormMain> form;
    if (!RunGuarded(nullptr, [&form] { form = std::make_unique<TFormMain>(); }))
        return 1;
    form->show();
    int result = 1;
    RunGuarded(nullptr, [&result] { result = QApplication::exec(); });
    return result;
}
