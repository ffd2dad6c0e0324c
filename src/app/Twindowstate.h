#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Sizes and places the user gave the windows, kept between runs in their own file
// beside the settings file, so that the settings file holds settings only.
namespace TWindowState {
QString GetFileName();

QByteArray Read(const QString &key);
void Write(const QString &key, const QByteArray &value);

// Whole numbers such as column widths; an empty list when nothing valid is stored.
QList<int> ReadIntegers(const QString &key);
void WriteIntegers(const QString &key, const QList<int> &values);
} // namespace TWindowState
