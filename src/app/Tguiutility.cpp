#include "app/Tguiutility.h"

#include "app/Tquitsignals.h"
#include "platform/Tinifile.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QToolButton>
#include <QUrl>

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

QIcon GetIcon(const QString &themeName)
{
    return QIcon::fromTheme(themeName, QIcon(QStringLiteral(":/icons/") + themeName
                                             + QStringLiteral(".svg")));
}

QIcon GetProgramIcon()
{
    // The installed theme's icon, as the desktop shows it, else the built-in one.
    return QIcon::fromTheme(QStringLiteral(VARNOKI_APP_ID), QIcon(QStringLiteral(":/icons/varnoki.svg")));
}

void OpenUrlInBrowser(const QString &url)
{
    StartWithSignalsOpen([&url] { QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode)); });
}

QToolButton *MakeActionButton(QAction *action, QWidget *parent)
{
    // A caption's "&" stays a mnemonic on the button, as on a menu item.
    action->setIconText(action->text());
    auto *button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QAction *MakeAction(QWidget *owner, const QString &objectName, const QString &category,
                    const QString &caption, const QString &iconName, const QString &hint)
{
    auto *action = new QAction(caption, owner);
    action->setObjectName(objectName);
    action->setProperty("category", category);
    if (!iconName.isEmpty())
        action->setIcon(GetIcon(iconName));
    if (!hint.isEmpty()) {
        const qsizetype bar = hint.indexOf(QLatin1Char('|'));
        action->setToolTip(bar < 0 ? hint : hint.left(bar));
        action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
    }
    return action;
}

bool ParseIntegerText(const QString &text, int *value)
{
    return TIniFile::ParseInteger(text.trimmed(), value);
}
