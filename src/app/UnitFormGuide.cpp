#include "app/UnitFormGuide.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

TFormGuide::TFormGuide(QWidget *parent, const QString &caption, const QUrl &page)
    : QDialog(parent), FPage(page)
{
    setObjectName(QStringLiteral("FormGuide"));
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 480);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("Browser"));
    Browser->setOpenExternalLinks(true);
    Browser->setSource(page);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Browser, 1);
    layout->addWidget(buttons);
}
