#pragma once

#include <QString>

class QWidget;

// The program's file dialogs. Tests queue the file names in advance: in test mode a
// dialog with no name queued counts as cancelled. An empty result means cancelled.
class TFileDialog
{
public:
    // filter in Qt's form: "テキスト(*.txt);;すべてのファイル(*)".
    static QString GetOpenFileName(QWidget *parent, const QString &directory,
                                   const QString &filter);
    // Adds defaultSuffix to a name without one and asks before replacing a file.
    // fileName: the name offered in the dialog's name box.
    static QString GetSaveFileName(QWidget *parent, const QString &directory,
                                   const QString &filter, const QString &defaultSuffix,
                                   const QString &fileName = QString());

    static void SetTestMode(bool on);
    static void SetNextFileName(const QString &fileName);
    // The folder the last dialog opened in.
    static QString LastDirectory();
    // The filter and the offered file name of the last dialog.
    static QString LastFilter();
    static QString LastFileName();
};
