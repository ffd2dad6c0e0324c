#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

// The program's message boxes. Tests answer them in advance so that none ever waits
// for a user: in test mode a box with no answer queued is dismissed (Escape).
class TMessageBox
{
public:
    // The "確認" box with a single OK button, used for questions and input errors alike.
    static QMessageBox::StandardButton Confirm(QWidget *parent, const QString &text);
    // An error, titled with the application title.
    static void ShowError(QWidget *parent, const QString &text);
    // Save, Discard or Cancel for unsaved changes.
    static QMessageBox::StandardButton AskSaveChanges(QWidget *parent);
    // Apply (replace) or Cancel (keep what there is), Cancel the default.
    static QMessageBox::StandardButton AskReplace(QWidget *parent, const QString &text);
    // Yes (restore), No (discard) or Cancel (decide at the next start) for work a
    // process left unsaved.
    static QMessageBox::StandardButton AskRestore(QWidget *parent, const QString &text);

    // One of several buttons with the program's own captions: the index of the
    // caption chosen. The last caption closes the box, so Escape chooses it.
    // defaultIndex takes Enter.
    static int Choose(QWidget *parent, const QString &text, const QStringList &captions,
                      int defaultIndex);

    static void SetTestMode(bool on);
    // The answer of the next Choose (a caption's index).
    static void SetNextChoice(int index);
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    // The texts of the boxes shown (or answered) since the last call, oldest first.
    static QStringList TakeShownTexts();

private:
    static QMessageBox::StandardButton Show(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
};

// Runs body and shows any error it raises in a message box: every action handler of
// the windows runs inside this, so that no exception reaches Qt's event loop.
// Returns false when body failed.
bool RunGuarded(QWidget *parent, const std::function<void()> &body);
