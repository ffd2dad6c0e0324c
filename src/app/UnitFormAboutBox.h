#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's title, version and copyright line.
class TFormAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TFormAboutBox(QWidget *parent);

    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *Copyright;
    QPushButton *OKButton;
};
