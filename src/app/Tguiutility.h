#pragma once

#include <QIcon>
#include <QString>

class QAction;
class QToolButton;
class QWidget;

// Shows the busy cursor for the life of the object, also when an error leaves early.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;
};

// The desktop theme's icon of that name, else the program's own drawing of it.
QIcon GetIcon(const QString &themeName);
QIcon GetProgramIcon();

// Hands the URL text, unchanged, to the user's web browser; the result is not looked at.
void OpenUrlInBrowser(const QString &url);

// Opens a text file in the desktop's text editor (the application for text/plain), so
// that it shows as text even when its name ends in .html; without one, in the
// application for the file's own type.
void OpenFileInTextEditor(const QString &fileName);

// Shows the folder in the file manager.
void OpenFolder(const QString &folder);

// A button showing the action's caption and glyph, in the keyboard's tab chain.
QToolButton *MakeActionButton(QAction *action, QWidget *parent);

// Creates an action with its caption, category, shortcut and hint ("short|long"): the
// short part is the tool tip, the long part the status bar text.
QAction *MakeAction(QWidget *owner, const QString &objectName, const QString &category,
                    const QString &caption, const QString &iconName = QString(),
                    const QString &hint = QString());

// Decimal, or hexadecimal after 0x, spaces around allowed; false when the text is not
// a whole number.
bool ParseIntegerText(const QString &text, int *value);
