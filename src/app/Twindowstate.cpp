#include "app/Twindowstate.h"

#include "platform/Tappconfig.h"

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

QString TWindowState::GetFileName()
{
    return QFileInfo(TAppConfig::GetIniFileName()).absolutePath() + QStringLiteral("/windows.ini");
}

QByteArray TWindowState::Read(const QString &key)
{
    const QSettings settings(GetFileName(), QSettings::IniFormat);
    return settings.value(key).toByteArray();
}

void TWindowState::Write(const QString &key, const QByteArray &value)
{
    QSettings settings(GetFileName(), QSettings::IniFormat);
    settings.setValue(key, value);
}

QList<int> TWindowState::ReadIntegers(const QString &key)
{
    const QSettings settings(GetFileName(), QSettings::IniFormat);
    QList<int> values;
    for (const QString &text : settings.value(key).toStringList()) {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok)
            return {};
        values.append(value);
    }
    return values;
}

void TWindowState::WriteIntegers(const QString &key, const QList<int> &values)
{
    QStringList texts;
    for (int value : values)
        texts.append(QString::number(value));
    QSettings settings(GetFileName(), QSettings::IniFormat);
    settings.setValue(key, texts);
}
