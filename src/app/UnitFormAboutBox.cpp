#include "app/UnitFormAboutBox.h"

#include "app/Tguiutility.h"
#include "app/Tkappinfo.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormAboutBox::TFormAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(GetProgramIcon().pixmap(QSize(48, 48)));
    ProgramIcon->setAlignment(Qt::AlignTop);

    const TkAppInfo info;
    auto makeLabel = [panel](const QString &name, const QString &text) {
        auto *label = new QLabel(text, panel);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    ProductName = makeLabel(QStringLiteral("ProductName"), info.GetValue(9));
    Version = makeLabel(QStringLiteral("Version"), info.GetValue(3));
    Copyright = makeLabel(QStringLiteral("Copyright"), info.GetValue(5));
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);

    auto *texts = new QVBoxLayout;
    texts->addWidget(ProductName);
    texts->addWidget(Version);
    texts->addWidget(Copyright);
    texts->addStretch();
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(ProgramIcon);
    panelLayout->addSpacing(8);
    panelLayout->addLayout(texts, 1);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    panel->setMinimumWidth(280);
}
