#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// Edits the comment of one entry; shows its URL as a link to the page.
class TFormComment : public QDialog
{
    Q_OBJECT

public:
    explicit TFormComment(QWidget *parent);

    // What the dialog ends with besides OK and Cancel: the comment is kept and the
    // entry before or after is edited next.
    enum { ResultPrevious = 2, ResultNext = 3 };

    void SetEntry(const QString &url, const QString &title, const QString &comment);
    // Whether there is an entry before and after this one.
    void SetNavigation(bool previous, bool next);
    QString GetUrl() const { return FUrl; }
    QString GetComment() const;

    QLabel *LabelUrl;
    QLabel *LabelTitle;
    QLabel *Label1;
    QPlainTextEdit *MemoComment;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
    QPushButton *ButtonPrevious;
    QPushButton *ButtonNext;
    QLabel *LabelHint;

    void LabelUrlClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString FUrl;
};
