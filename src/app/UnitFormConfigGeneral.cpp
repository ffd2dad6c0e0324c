#include "app/UnitFormConfigGeneral.h"

#include "app/Tguiutility.h"
#include "platform/Tappconfig.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
QLineEdit *MakeEdit(QWidget *parent, const QString &name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    return edit;
}
} // namespace

TFormConfigGeneral::TFormConfigGeneral(QWidget *parent, TAppConfig &config)
    : QDialog(parent), FConfig(config)
{
    setObjectName(QStringLiteral("FormConfigGeneral"));
    setWindowTitle(QStringLiteral("全般設定"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto *page = new QWidget(PageControl1);
    PageControl1->addTab(page, QStringLiteral("インターネット接続(&1)"));

    RadioButtonUseProxy1 = new QRadioButton(QStringLiteral("インターネットに直接接続する(&D)"), page);
    RadioButtonUseProxy1->setObjectName(QStringLiteral("RadioButtonUseProxy1"));
    RadioButtonUseProxy2 = new QRadioButton(QStringLiteral("手動でプロキシを設定する(&M)"), page);
    RadioButtonUseProxy2->setObjectName(QStringLiteral("RadioButtonUseProxy2"));
    RadioButtonSystemProxy = new QRadioButton(QStringLiteral("システムのプロキシ設定を使う(&S)"), page);
    RadioButtonSystemProxy->setObjectName(QStringLiteral("RadioButtonSystemProxy"));
    // What "the system's" means here: the variables every terminal program reads.
    QStringList proxyVariables;
    for (const char *name : {"http_proxy", "https_proxy", "no_proxy"}) {
        const QString value = qEnvironmentVariable(name);
        proxyVariables.append(QStringLiteral("%1=%2").arg(QLatin1String(name), value.isEmpty() ? QStringLiteral("（なし）") : value));
    }
    RadioButtonSystemProxy->setToolTip(proxyVariables.join(QLatin1Char('\n')));
    EditProxyServer = MakeEdit(page, QStringLiteral("EditProxyServer"));
    EditProxyPort = MakeEdit(page, QStringLiteral("EditProxyPort"));
    EditSleepTime = MakeEdit(page, QStringLiteral("EditSleepTime"));

    auto *labelServer = new QLabel(QStringLiteral("HTTPプロキシ(&Y)"), page);
    labelServer->setBuddy(EditProxyServer);
    auto *labelPort = new QLabel(QStringLiteral("ポート(&P)"), page);
    labelPort->setBuddy(EditProxyPort);
    auto *labelSleep = new QLabel(QStringLiteral("ページダウンロード後の待機時間"), page);
    labelSleep->setBuddy(EditSleepTime);
    EditSleepTime->setPlaceholderText(QStringLiteral("1000"));
    LabelSleepHint = new QLabel(QStringLiteral("推奨: ブログサービス（はてな・Ameba・FC2 など）では 1000 ms 以上。"
                                               "短いと、サービスに負担をかけたり、アクセスを拒まれたりします。"), page);
    LabelSleepHint->setObjectName(QStringLiteral("LabelSleepHint"));
    LabelSleepHint->setWordWrap(true);
    LabelSleepHint->setForegroundRole(QPalette::PlaceholderText);

    auto *grid = new QGridLayout(page);
    grid->addWidget(RadioButtonUseProxy1, 0, 0, 1, 3);
    grid->addWidget(RadioButtonSystemProxy, 1, 0, 1, 3);
    grid->addWidget(RadioButtonUseProxy2, 2, 0, 1, 3);
    grid->addWidget(labelServer, 3, 0);
    grid->addWidget(EditProxyServer, 3, 1, 1, 2);
    grid->addWidget(labelPort, 4, 0);
    grid->addWidget(EditProxyPort, 4, 1);
    grid->addWidget(labelSleep, 5, 0);
    grid->addWidget(EditSleepTime, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("ms"), page), 5, 2);
    grid->addWidget(LabelSleepHint, 6, 0, 1, 3);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 200);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(BtnOK, QDialogButtonBox::AcceptRole);
    buttons->addButton(BtnCancel, QDialogButtonBox::RejectRole);
    connect(BtnOK, &QPushButton::clicked, this, &TFormConfigGeneral::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(buttons);
    layout->addWidget(statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(RadioButtonUseProxy1, &QRadioButton::toggled, this, &TFormConfigGeneral::RadioButtonUseProxyClick);
    connect(RadioButtonUseProxy2, &QRadioButton::toggled, this, &TFormConfigGeneral::RadioButtonUseProxyClick);
    (FConfig.GetUseProxy() ? RadioButtonUseProxy2
     : FConfig.GetUseSystemProxy() ? RadioButtonSystemProxy : RadioButtonUseProxy1)->setChecked(true);
    EditProxyServer->setText(FConfig.GetProxyServer());
    EditProxyPort->setText(QString::number(FConfig.GetProxyPort()));
    EditSleepTime->setText(QString::number(FConfig.GetSleepTime()));
    RadioButtonUseProxyClick();
}

void TFormConfigGeneral::RadioButtonUseProxyClick()
{
    const bool manual = RadioButtonUseProxy2->isChecked();
    EditProxyServer->setEnabled(manual);
    EditProxyPort->setEnabled(manual);
}

void TFormConfigGeneral::BtnOKClick()
{
    const bool manual = RadioButtonUseProxy2->isChecked();
    FConfig.SetUseProxy(manual);
    FConfig.SetUseSystemProxy(RadioButtonSystemProxy->isChecked());
    if (manual) {
        FConfig.SetProxyServer(EditProxyServer->text());
        int port = 0;
        if (ParseIntegerText(EditProxyPort->text(), &port))
            FConfig.SetProxyPort(port);
    } else {
        FConfig.SetProxyServer(QString());
        FConfig.SetProxyPort(0);
    }
    int sleepTime = 0;
    FConfig.SetSleepTime(ParseIntegerText(EditSleepTime->text(), &sleepTime) ? sleepTime : 0);
    accept();
}
