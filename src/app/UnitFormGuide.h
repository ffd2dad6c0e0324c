#pragma once

#include <QDialog>
#include <QUrl>

class QTextBrowser;

// A help page of the program itself (getting started, the comment page), shown beside
// the main window so that the user can follow it while working.
class TFormGuide : public QDialog
{
    Q_OBJECT

public:
    TFormGuide(QWidget *parent, const QString &caption, const QUrl &page);

    QUrl GetPage() const { return FPage; }

    QTextBrowser *Browser;

private:
    QUrl FPage;
};
