// A table of contents to paste into a post of a hosted blog. Those blogs' editors
// drop scripts, styles, classes and most attributes, so only plain elements they
// keep are written: headings, paragraphs, lists, links, line breaks and small text.
#include "Tocpage.h"

#include <QLocale>

namespace {

// Text as the fragment shows it. Line breaks and runs of white space are folded: in an
// editor's Markdown mode a blank line ends the HTML, and what follows would be read as
// Markdown. Each mark that could start Markdown becomes a character reference, which
// shows as the mark in HTML and starts nothing in Markdown.
QString FragmentText(const QString &text)
{
    static const QString marks = QStringLiteral("\\`*_[]()!~");
    QString result;
    const QString escaped = Esc(text.simplified());
    result.reserve(escaped.size() + 16);
    for (const QChar c : escaped) {
        if (marks.contains(c))
            result += QStringLiteral("&#") + QString::number(c.unicode()) + QLatin1Char(';');
        else
            result += c;
    }
    return result;
}

// Each line of a text as FragmentText, blank lines left out, with element-only line
// breaks (some editors read the post as XHTML) and no line break in the source.
QString FragmentLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            lines.append(FragmentText(line));
    }
    return lines.join(QStringLiteral("<br />"));
}

QString Item(const TocEntry &entry, const TocSettings &settings)
{
    static const QLocale japanese(QLocale::Japanese);
    const QString title = entry.title.trimmed().isEmpty() ? QStringLiteral("（無題）") : entry.title.trimmed();
    QString html = QStringLiteral("<li>") + Link(entry.url, FragmentText(title));
    if (entry.date.isValid())
        html += QStringLiteral(" <small>") + FragmentText(japanese.toString(entry.date, settings.dateFormat))
                + QStringLiteral("</small>");
    if (settings.showComments && !entry.comment.trimmed().isEmpty())
        html += QStringLiteral("<br />\n<small>") + FragmentLines(entry.comment.trimmed())
                + QStringLiteral("</small>");
    return html + QStringLiteral("</li>\n");
}

QString Render(const TocData &data, const TocSettings &settings)
{
    const bool byCategory = ReadByCategory(data);
    QString uncategorizedName = ConfigValue(data, QStringLiteral("未分類の見出し")).trimmed();
    if (uncategorizedName.isEmpty())
        uncategorizedName = QStringLiteral("未分類");

    QString html = QStringLiteral("<h2>") + FragmentText(settings.heading) + QStringLiteral("</h2>\n");
    const QString blog = BlogLinkText(data);
    if (!blog.isEmpty())
        html += QStringLiteral("<p><small>") + Link(data.blogUrl, FragmentText(blog)) + QStringLiteral("</small></p>\n");
    if (!settings.description.isEmpty())
        html += QStringLiteral("<p>") + FragmentLines(settings.description) + QStringLiteral("</p>\n");
    if (data.entries.isEmpty())
        return html + QStringLiteral("<p>記事がありません。</p>\n");
    html += QStringLiteral("<p><small>全 ") + CountText(data.entries.size()) + QStringLiteral("</small></p>\n");

    const QList<TocGroup> groups = byCategory ? GroupByCategory(data, uncategorizedName) : GroupByMonth(data);
    for (const TocGroup &group : groups) {
        html += QStringLiteral("<h3>") + Link(group.url, FragmentText(group.title)) + QStringLiteral(" <small>")
                + CountText(group.entries.size()) + QStringLiteral("</small></h3>\n<ul>\n");
        for (const TocEntry &entry : group.entries)
            html += Item(entry, settings);
        html += QStringLiteral("</ul>\n");
    }
    return html;
}

} // namespace

int main(int argc, char **argv)
{
    return RunTextTemplate(argc, argv, QStringLiteral("目次"), Render);
}
