#include "app/Tguiutility.h"
#include "app/Tmessagebox.h"
#include "app/Tquitsignals.h"
#include "app/Tsingleinstance.h"
#include "app/UnitFormMain.h"
#include "platform/Tapptitle.h"

#include <QApplication>
#include <QComboBox>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    // Answered before the window system is needed, so it works without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("varnoki %s\n", VARNOKI_VERSION);
        return 0;
    }
    HoldTerminationSignals();
    QApplication app(argc, argv);
    QApplication::setApplicationName(GetApplicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(VARNOKI_VERSION));
    // Ties the windows to the desktop entry, for the taskbar's icon and name.
    QApplication::setDesktopFileName(QStringLiteral(VARNOKI_APP_ID));
    QApplication::setWindowIcon(GetProgramIcon());

    // The program speaks Japanese, so Qt's own dialogs (file dialogs, standard
    // buttons) do too, whatever the desktop's language.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    QuitOnTerminationSignals(nullptr);

    // A project that a running window of this user has open is shown there.
    const QStringList startArguments = QApplication::arguments().mid(1);
    if (!startArguments.isEmpty() && !startArguments.first().startsWith(QLatin1Char('-'))
        && TSingleInstance::ShowInRunningWindow(startArguments.first()))
        return 0;

    std::unique_ptr<TFormMain> form;
    if (!RunGuarded(nullptr, [&form] { form = std::make_unique<TFormMain>(); }))
        return 1;
    QuitOnTerminationSignals(form.get());
    // "varnoki FILE.FDB" (as the desktop's file association calls it) opens that project.
    if (!startArguments.isEmpty() && !startArguments.first().startsWith(QLatin1Char('-')))
        form->SetStartFile(startArguments.first());
    // Lets the installed-tree test see that a started window found its blog types and
    // templates, then end it as a logout would.
    if (qEnvironmentVariableIsSet("VARNOKI_QUIT_WHEN_STARTED")) {
        QObject::connect(form.get(), &TFormMain::Initialized, &app, [&form] {
            std::printf("blog types %d, templates %d\n", form->ComboBoxBlogType->count(),
                        form->ComboBoxHtmlTemplate->count());
            std::fflush(stdout);
            form->KeepWorkAndQuit();
        }, Qt::QueuedConnection);
    }
    TSingleInstance instance(
        [&form](const QString &fileName) {
            return form->GetDb() && SameProjectFile(fileName, form->GetProject().GetFileName());
        },
        [&form] { form->BringToFront(); });
    form->show();
    int result = 1;
    RunGuarded(nullptr, [&result] { result = QApplication::exec(); });
    return result;
}
