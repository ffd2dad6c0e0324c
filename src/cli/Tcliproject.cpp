#include "cli/Tcliproject.h"

#include "cli/Tclicommand.h"
#include "platform/Tprojectlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

TCliProject::TCliProject() = default;

TCliProject::~TCliProject() = default;

void TCliProject::Open(const QString &fileName, bool forChanges)
{
    const QString path = AbsolutePath(fileName);
    if (!QFileInfo(path).isFile())
        throw EUsageError(QStringLiteral("プロジェクトファイルが見つかりません: ")
                          + QDir::toNativeSeparators(path));
    try {
        FSession.Open(path, forChanges);
    } catch (const EProjectBusy &) {
        throw;
    } catch (const EVarnokiError &error) {
        throw EUsageError(error.Message());
    }
    for (const TUnsavedWork &work : FindUnsavedWork()) {
        if (work.ProjectFileName == path)
            PrintErr(QStringLiteral("このプロジェクトには保存されずに終わった作業内容があります (%1、%2)。"
                                    "varnoki-cli recover %3 で復元できます。")
                         .arg(QDir::toNativeSeparators(work.WorkFileName),
                              work.LastChange.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                              QDir::toNativeSeparators(path)));
    }
}

void TCliProject::Restore(const TUnsavedWork &work)
{
    FSession.Restore(work);
}

void TCliProject::CreateNew()
{
    FSession.CreateNew();
}

void TCliProject::Save(const QString &fileName)
{
    FSession.Save(FSession.Project(), fileName.isEmpty() ? QString() : AbsolutePath(fileName));
}

TBlogConfig FindBlogConfig(const QString &name)
{
    TBlogConfigManager manager;
    manager.Load();
    QStringList names;
    for (const TBlogConfig &config : manager.GetBlogConfigs()) {
        if (config.GetName() == name)
            return config;
        names << config.GetName();
    }
    throw EUsageError(QStringLiteral("ブログの種類が見つかりません: ") + name + QStringLiteral("\nあるブログの種類: ")
                      + names.join(QStringLiteral("、")));
}

THtmlTemplate FindTemplate(const QString &name)
{
    TTemplateManager manager;
    manager.Load();
    for (const THtmlTemplate &htmlTemplate : manager.GetTemplates()) {
        if (htmlTemplate.GetName() == name)
            return htmlTemplate;
    }
    throw EUsageError(QStringLiteral("HTMLテンプレートが見つかりません: ") + name);
}

THtmlValues EmptyTemplateValues(const THtmlTemplate &htmlTemplate)
{
    THtmlValues values;
    for (const QString &name : htmlTemplate.GetConfigNames())
        values.insert(name, QString());
    return values;
}

QStringList TemplateConfigLines(const THtmlTemplate &htmlTemplate, const THtmlValues &values)
{
    QList<QPair<QString, QString>> rows;
    for (const QString &name : htmlTemplate.GetConfigNames())
        rows.append({name, QString()});
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.value().isEmpty())
            continue;
        auto row = std::find_if(rows.begin(), rows.end(), [&it](const auto &row) {
            return row.first.compare(it.key(), Qt::CaseInsensitive) == 0;
        });
        if (row != rows.end())
            row->second = it.value();
        else
            rows.append({it.key(), it.value()});
    }
    QStringList lines;
    for (const auto &row : rows)
        lines.append(row.first + QLatin1Char('=') + row.second);
    return lines;
}

QString AbsolutePath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}
