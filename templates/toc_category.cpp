// The entries grouped by category, in the order of the project's category list.
#include "Tocpage.h"

#include <QSet>

namespace {

TocPageParts Render(const TocData &data, const TocSettings &settings)
{
    QString uncategorizedName = ConfigValue(data, QStringLiteral("未分類の見出し")).trimmed();
    if (uncategorizedName.isEmpty())
        uncategorizedName = QStringLiteral("未分類");

    QList<QList<TocEntry>> groups(data.categories.size());
    QList<TocEntry> uncategorized;
    for (const TocEntry &entry : data.entries) {
        QSet<qsizetype> placed;
        for (const int id : entry.categoryIds) {
            // Id 0 is the placeholder of entries without a category.
            for (qsizetype i = 0; id != 0 && i < data.categories.size(); ++i) {
                if (data.categories.at(i).id == id && !placed.contains(i)) {
                    groups[i].append(entry);
                    placed.insert(i);
                }
            }
        }
        // Links to categories no longer listed must not make an entry vanish.
        if (placed.isEmpty())
            uncategorized.append(entry);
    }

    TocPageParts parts;
    parts.summary = QStringLiteral("全 ") + CountText(data.entries.size());
    if (data.entries.isEmpty()) {
        parts.body = QStringLiteral("<p class=\"empty\">記事がありません。</p>\n");
        return parts;
    }

    QString nav;
    QString sections;
    auto addSection = [&](const QString &anchor, const QString &nameHtml, const QString &url,
                          const QList<TocEntry> &entries) {
        nav += QStringLiteral("<li><a href=\"#") + anchor + QStringLiteral("\">") + nameHtml
               + QStringLiteral("<span class=\"count\">") + QString::number(entries.size())
               + QStringLiteral("</span></a></li>\n");
        sections += QStringLiteral("<section id=\"") + anchor + QStringLiteral("\">\n<h2>")
                    + Link(url, nameHtml) + QStringLiteral("<span class=\"count\">")
                    + CountText(entries.size()) + QStringLiteral("</span></h2>\n")
                    + EntryList(entries, settings)
                    + QStringLiteral("<p class=\"top\"><a href=\"#top\">目次へ戻る</a></p>\n</section>\n");
    };
    for (qsizetype i = 0; i < data.categories.size(); ++i) {
        if (groups.at(i).isEmpty())
            continue;
        const TocCategory &category = data.categories.at(i);
        const QString name = category.name.trimmed().isEmpty() ? QStringLiteral("（名前なし）")
                                                               : category.name.trimmed();
        addSection(QStringLiteral("category-%1").arg(i + 1), Esc(name), category.url, groups.at(i));
    }
    if (!uncategorized.isEmpty())
        addSection(QStringLiteral("uncategorized"), Esc(uncategorizedName), QString(), uncategorized);

    parts.body = QStringLiteral("<nav class=\"toc\" aria-label=\"カテゴリー\">\n<ul>\n") + nav
                 + QStringLiteral("</ul>\n</nav>\n") + sections;
    return parts;
}

} // namespace

int main(int argc, char **argv)
{
    return RunTemplate(argc, argv, QStringLiteral("カテゴリー別目次"), Render);
}
