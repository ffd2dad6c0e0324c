// A table of contents in Markdown (CommonMark, with the table and autolink rules of
// GitHub's dialect in mind) for Markdown blogs and static site generators.
#include "Tocpage.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

namespace {

// Backslash before every mark that could start emphasis, a link, code, a table cell,
// raw HTML, an entity or a closing heading mark; line breaks become spaces.
QString MdText(const QString &text)
{
    static const QString marks = QStringLiteral("\\`*_[]<>|#~&!{}()");
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text.simplified()) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            continue;
        if (marks.contains(c))
            result += QLatin1Char('\\');
        result += c;
    }
    return result;
}

// A line of a paragraph: MdText, and a mark that would start a list, a quote, a
// heading or a rule at the line's start is escaped too.
QString MdLine(const QString &line)
{
    QString text = MdText(line);
    static const QRegularExpression ordered(QStringLiteral("^(\\d+)([.)])"));
    if (!text.isEmpty() && QStringLiteral("-+=").contains(text.at(0)))
        text.prepend(QLatin1Char('\\'));
    else
        text.replace(ordered, QStringLiteral("\\1\\\\\\2"));
    return text;
}

// The lines of a text, each escaped, ending in hard line breaks.
QString MdLines(const QString &text, const QString &indent)
{
    QStringList lines;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
        if (!line.trimmed().isEmpty())
            lines.append(indent + MdLine(line));
    }
    return lines.join(QStringLiteral("\\\n"));
}

// A link destination in the <...> form, with everything that could end it
// percent-encoded; empty for an address that is not a web address.
QString MdUrl(const QString &url)
{
    const QUrl parsed(url.trimmed());
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return QString();
    QString encoded = parsed.toString(QUrl::FullyEncoded);
    encoded.replace(QLatin1Char('('), QLatin1String("%28")).replace(QLatin1Char(')'), QLatin1String("%29"));
    return QLatin1Char('<') + encoded + QLatin1Char('>');
}

QString MdLink(const QString &url, const QString &text)
{
    const QString destination = MdUrl(url);
    return destination.isEmpty() ? MdText(text)
                                 : QLatin1Char('[') + MdText(text) + QStringLiteral("](") + destination
                                       + QLatin1Char(')');
}

QString Render(const TocData &data, const TocSettings &settings)
{
    static const QLocale japanese(QLocale::Japanese);
    const bool byCategory = ReadByCategory(data);
    QString uncategorizedName = ConfigValue(data, QStringLiteral("未分類の見出し")).trimmed();
    if (uncategorizedName.isEmpty())
        uncategorizedName = QStringLiteral("未分類");

    QString md = QStringLiteral("# ") + MdText(settings.heading) + QStringLiteral("\n\n");
    const QString blog = BlogLinkText(data);
    if (!blog.isEmpty())
        md += MdLink(data.blogUrl, blog) + QStringLiteral("\n\n");
    if (!settings.description.isEmpty())
        md += MdLines(settings.description, QString()) + QStringLiteral("\n\n");
    if (data.entries.isEmpty())
        return md + QStringLiteral("記事がありません。\n");
    md += QStringLiteral("全 ") + CountText(data.entries.size()) + QStringLiteral("\n");

    const QList<TocGroup> groups = byCategory ? GroupByCategory(data, uncategorizedName) : GroupByMonth(data);
    for (const TocGroup &group : groups) {
        md += QStringLiteral("\n## ") + MdLink(group.url, group.title) + QStringLiteral(" (")
              + CountText(group.entries.size()) + QStringLiteral(")\n\n");
        for (const TocEntry &entry : group.entries) {
            const QString title = entry.title.trimmed().isEmpty() ? QStringLiteral("（無題）") : entry.title;
            md += QStringLiteral("- ") + MdLink(entry.url, title);
            if (entry.date.isValid())
                md += QStringLiteral(" (") + MdText(japanese.toString(entry.date, settings.dateFormat))
                      + QLatin1Char(')');
            if (settings.showComments && !entry.comment.trimmed().isEmpty())
                md += QStringLiteral("\\\n") + MdLines(entry.comment.trimmed(), QStringLiteral("  "));
            md += QLatin1Char('\n');
        }
    }
    return md;
}

} // namespace

int main(int argc, char **argv)
{
    return RunTextTemplate(argc, argv, QStringLiteral("目次"), Render);
}
