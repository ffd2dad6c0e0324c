// The entries grouped by year and month.
#include "Tocpage.h"

namespace {

struct MonthGroup
{
    int year = 0; // 0: entries without a readable date
    int month = 0;
    QList<TocEntry> entries;
};

QString MonthAnchor(const MonthGroup &group)
{
    return group.year == 0 ? QStringLiteral("undated")
                           : QStringLiteral("m%1-%2").arg(group.year).arg(group.month, 2, 10, QLatin1Char('0'));
}

TocPageParts Render(const TocData &data, const TocSettings &settings)
{
    TocPageParts parts;
    parts.summary = QStringLiteral("全 ") + CountText(data.entries.size());
    if (data.entries.isEmpty()) {
        parts.body = QStringLiteral("<p class=\"empty\">記事がありません。</p>\n");
        return parts;
    }

    // The entries are sorted by date already, so each month is one run of them.
    QList<MonthGroup> groups;
    MonthGroup undated;
    for (const TocEntry &entry : data.entries) {
        if (!entry.date.isValid()) {
            undated.entries.append(entry);
            continue;
        }
        const int year = entry.date.date().year();
        const int month = entry.date.date().month();
        if (groups.isEmpty() || groups.last().year != year || groups.last().month != month)
            groups.append(MonthGroup{year, month, {}});
        groups.last().entries.append(entry);
    }

    QString nav;
    QString sections;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const MonthGroup &group = groups.at(i);
        const bool newYear = i == 0 || groups.at(i - 1).year != group.year;
        const bool yearEnds = i + 1 == groups.size() || groups.at(i + 1).year != group.year;
        if (newYear) {
            qsizetype yearCount = 0;
            for (qsizetype j = i; j < groups.size() && groups.at(j).year == group.year; ++j)
                yearCount += groups.at(j).entries.size();
            nav += QStringLiteral("<li><a href=\"#y%1\">%1年<span class=\"count\">%2</span></a></li>\n")
                       .arg(group.year)
                       .arg(yearCount);
            sections += QStringLiteral("<section id=\"y%1\">\n<h2>%1年<span class=\"count\">%2</span></h2>\n")
                            .arg(group.year)
                            .arg(CountText(yearCount));
            QString months;
            for (qsizetype j = i; j < groups.size() && groups.at(j).year == group.year; ++j)
                months += QStringLiteral("<li><a href=\"#%1\">%2月<span class=\"count\">%3</span></a></li>\n")
                              .arg(MonthAnchor(groups.at(j)))
                              .arg(groups.at(j).month)
                              .arg(groups.at(j).entries.size());
            sections += QStringLiteral("<nav class=\"toc\" aria-label=\"%1年の月\">\n<ul>\n%2</ul>\n</nav>\n")
                            .arg(group.year)
                            .arg(months);
        }
        sections += QStringLiteral("<section id=\"%1\">\n<h3>%2年%3月<span class=\"count\">%4</span></h3>\n")
                        .arg(MonthAnchor(group))
                        .arg(group.year)
                        .arg(group.month)
                        .arg(CountText(group.entries.size()))
                    + EntryList(group.entries, settings) + QStringLiteral("</section>\n");
        if (yearEnds)
            sections += QStringLiteral("<p class=\"top\"><a href=\"#top\">目次へ戻る</a></p>\n</section>\n");
    }
    if (!undated.entries.isEmpty()) {
        nav += QStringLiteral("<li><a href=\"#undated\">日付不明<span class=\"count\">%1</span></a></li>\n")
                   .arg(undated.entries.size());
        sections += QStringLiteral("<section id=\"undated\">\n<h2>日付不明<span class=\"count\">%1</span></h2>\n")
                        .arg(CountText(undated.entries.size()))
                    + EntryList(undated.entries, settings)
                    + QStringLiteral("<p class=\"top\"><a href=\"#top\">目次へ戻る</a></p>\n</section>\n");
    }

    parts.body = QStringLiteral("<nav class=\"toc\" aria-label=\"年\">\n<ul>\n") + nav
                 + QStringLiteral("</ul>\n</nav>\n") + sections;
    return parts;
}

} // namespace

int main(int argc, char **argv)
{
    return RunTemplate(argc, argv, QStringLiteral("月別アーカイブ"), Render);
}
