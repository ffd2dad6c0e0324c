#include "app/Tguiutility.h"

#include "platform/Tinifile.h"
#include "platform/Tstopsignals.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
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
    StartWithStopSignalsOpen([&url] { QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode)); });
}

namespace {
// The command line of the desktop entry that opens text/plain files, for fileName;
// empty when the desktop names none.
QStringList TextEditorCommand(const QString &fileName)
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return {};
    const QString desktopId = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopId.isEmpty() || desktopId.contains(QLatin1Char('/')))
        return {};
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (entry.isEmpty())
        return {};
    const QString exec = TIniFile(entry).ReadString(QStringLiteral("Desktop Entry"), QStringLiteral("Exec"), QString());
    if (exec.isEmpty())
        return {};
    QStringList command;
    bool fileGiven = false;
    for (const QString &argument : QProcess::splitCommand(exec)) {
        if (argument == QLatin1String("%f") || argument == QLatin1String("%F")
            || argument == QLatin1String("%u") || argument == QLatin1String("%U")) {
            command.append(fileName);
            fileGiven = true;
        } else if (argument.size() == 2 && argument.startsWith(QLatin1Char('%'))) {
            continue; // the entry's other field codes have nothing to stand for here
        } else {
            command.append(QString(argument).replace(QStringLiteral("%%"), QStringLiteral("%")));
        }
    }
    if (!fileGiven)
        command.append(fileName);
    return command;
}
} // namespace

void OpenFileInTextEditor(const QString &fileName)
{
    const QStringList command = TextEditorCommand(fileName);
    StartWithStopSignalsOpen([&command, &fileName] {
        if (command.isEmpty() || !QProcess::startDetached(command.first(), command.mid(1)))
            QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
    });
}

void OpenFolder(const QString &folder)
{
    StartWithStopSignalsOpen([&folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
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
