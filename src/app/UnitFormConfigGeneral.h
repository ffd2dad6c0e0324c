#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TAppConfig;

// The general settings: how pages are fetched and how long to wait between them.
// OK copies the dialog into the settings; the caller writes them to the file.
class TFormConfigGeneral : public QDialog
{
    Q_OBJECT

public:
    TFormConfigGeneral(QWidget *parent, TAppConfig &config);

    QTabWidget *PageControl1;
    QRadioButton *RadioButtonUseProxy1;
    QRadioButton *RadioButtonUseProxy2;
    // The environment's proxy, beside none and a given one.
    QRadioButton *RadioButtonSystemProxy;
    QLabel *LabelSleepHint;
    QLineEdit *EditProxyServer;
    QLineEdit *EditProxyPort;
    QLineEdit *EditSleepTime;
    QPushButton *BtnOK;
    QPushButton *BtnCancel;

    void BtnOKClick();

private:
    void RadioButtonUseProxyClick();

    TAppConfig &FConfig;
};
