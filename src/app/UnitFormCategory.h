#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// Name and URL of one category; OK only with both filled in.
class TFormCategory : public QDialog
{
    Q_OBJECT

public:
    explicit TFormCategory(QWidget *parent);

    QLineEdit *EditName;
    QLineEdit *EditUrl;
    QPushButton *BtnOk;
    QPushButton *BitBtn2;

    void BtnOkClick();
};
