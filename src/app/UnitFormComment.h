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

    void SetEntry(const QString &url, const QString &title, const QString &comment);
    QString GetUrl() const { return FUrl; }
    QString GetComment() const;

    QLabel *LabelUrl;
    QLabel *LabelTitle;
    QLabel *Label1;
    QPlainTextEdit *MemoComment;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;

    void LabelUrlClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString FUrl;
};
