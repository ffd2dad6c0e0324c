#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QSplitter;
class QTextBrowser;
class QTreeWidget;
class QHBoxLayout;

// A list of blog types or templates above the help document of the selected row.
// The blog type and template help windows differ only in what they list.
class TFormHelp : public QDialog
{
    Q_OBJECT

public:
    QLabel *Label1;
    QTreeWidget *ListViewBlog;
    QSplitter *Splitter1;
    QTextBrowser *WebBrowser1;
    QPushButton *BitBtn1;

    // Shows the help document of the selected row.
    void ListViewBlogClick();
    // Selects the row (the one in use in the main window) and shows its document; a
    // row that is not there leaves the first selected.
    void SelectRow(int row);
    // Shows the document at path, or says that it is missing.
    void ShowDocument(const QString &path);

protected:
    TFormHelp(QWidget *parent, const QString &name, const QString &caption,
              const QString &listCaption, const QStringList &columns);

    // One row per record (its column texts) and the path of each row's help document.
    void SetRows(const QList<QStringList> &rows, const QStringList &helpPaths);

    void done(int result) override;

    // The row of the Close button, where a kind of help window adds its own (in front).
    QHBoxLayout *ButtonRow;

private:
    QStringList FHelpPaths;
};
