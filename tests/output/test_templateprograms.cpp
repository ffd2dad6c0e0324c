#include "Outputtestsupport.h"
#include "output/Thtmldb.h"

#include <QSet>
#include <QXmlStreamReader>

namespace {

struct TRun
{
    int exitCode = -1;
    QString errors;
};

TRun RunTemplate(const QString &name, const QStringList &args)
{
    QProcess process;
    process.start(TemplateProgram(name), args);
    EXPECT_TRUE(process.waitForFinished(60000)) << name.toStdString();
    const TRun run{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                   QString::fromUtf8(process.readAllStandardError())};
    EXPECT_TRUE(run.exitCode == 0 || !run.errors.isEmpty()) << "failed without a message";
    return run;
}

const QStringList TemplateNames = {QStringLiteral("list"), QStringLiteral("category"),
                                   QStringLiteral("monthly")};
const QString HostileTitle = QStringLiteral("<script>alert(1)</script> & \"Q\" 'S'");
const QString HostileComment = QStringLiteral("1行目 <img src=x onerror=alert(1)>\r\n2行目");

void FillRichProject(TTestProject &project)
{
    project.AddEntry(QStringLiteral("https://blog.example/hostile?a=1&b=\"x\""), HostileTitle,
                     EncodeDateTime(2024, 3, 9, 10, 20, 30), HostileComment);
    project.AddEntry(QStringLiteral("javascript:alert(document.cookie)"), QStringLiteral("script link"),
                     EncodeDateTime(2024, 3, 1, 8));
    project.AddEntry(QStringLiteral("https://blog.example/a"), QStringLiteral("January"),
                     EncodeDateTime(2024, 1, 15));
    project.AddEntry(QStringLiteral("https://blog.example/z"), QStringLiteral("December"),
                     EncodeDateTime(2023, 12, 31, 23, 59, 59));
    project.AddEntry(QStringLiteral("https://blog.example/undated"), QString(), 0);
    TLdbDb &db = *project.Db;
    db.InsertCategory(0, QStringLiteral(" "), QString());
    db.InsertCategory(1, QStringLiteral("旅行 <b>&</b>"), QStringLiteral("https://blog.example/c/1\"><script>"));
    db.InsertCategory(2, QStringLiteral("料理"), QStringLiteral("https://blog.example/c/2"));
    db.InsertCategory(3, QStringLiteral("空"), QStringLiteral("https://blog.example/c/3"));
    db.InsertCategoryEntries(1, {QStringLiteral("https://blog.example/hostile?a=1&b=\"x\""),
                                 QStringLiteral("https://blog.example/a")});
    db.InsertCategoryEntries(2, {QStringLiteral("https://blog.example/hostile?a=1&b=\"x\""),
                                 QStringLiteral("https://blog.example/z")});
    // A link to a category no longer listed.
    db.InsertCategoryEntries(9, {QStringLiteral("javascript:alert(document.cookie)")});
}

QList<QStringList> Items(const QJsonObject &page, const QStringList &fields)
{
    QList<QStringList> result;
    for (const QJsonValue &item : page.value(QStringLiteral("items")).toArray()) {
        QStringList row;
        for (const QString &field : fields)
            row << item.toObject().value(field).toString();
        result << row;
    }
    return result;
}

class TemplatePrograms : public ::testing::Test
{
protected:
    // Runs a program and returns the text it wrote.
    QString MakeText(const QString &name, const QStringList &config)
    {
        const QString db = CreateHtmlDb(*Project.Db, EmptyHtmlDb(), config);
        const QString out = Out.filePath(name + QStringLiteral(".out"));
        const TRun run = RunTemplate(name, {db, out, TemplateProgram(name)});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        QFile file(out);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }

    QJsonObject Make(const QString &name, const QStringList &config)
    {
        const QString db = CreateHtmlDb(*Project.Db, EmptyHtmlDb(), config);
        const QString html = Out.filePath(name + QStringLiteral(".html"));
        const TRun run = RunTemplate(name, {db, html, TemplateProgram(name)});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
        return CheckHtml(html);
    }

    TTestProject Project;
    QTemporaryDir Out;
};

TEST_F(TemplatePrograms, EveryTemplateEscapesTheBlogsTextsAndAppliesTheSettings)
{
    FillRichProject(Project);
    const QStringList config = {QStringLiteral("ページタイトル=テスト <目次>"),
                                QStringLiteral("見出し=見出し & \"引用\""),
                                QStringLiteral("日付の書式=yyyy年M月d日"),
                                QStringLiteral("CSSファイル=style.css?v=\"1\"&x=<y>"),
                                QStringLiteral("未分類の見出し=その他")};
    for (const QString &name : TemplateNames) {
        SCOPED_TRACE(name.toStdString());
        const QJsonObject page = Make(name, config);
        EXPECT_EQ(page.value(QStringLiteral("title")).toString(), QStringLiteral("テスト <目次>"));
        EXPECT_EQ(page.value(QStringLiteral("headings")).toArray().first().toObject().value(QStringLiteral("text")),
                  QStringLiteral("見出し & \"引用\""));
        EXPECT_EQ(page.value(QStringLiteral("stylesheets")).toArray(), QJsonArray{QStringLiteral("style.css?v=\"1\"&x=<y>")});
        EXPECT_EQ(page.value(QStringLiteral("scripts")).toArray().size(), name == QLatin1String("list") ? 1 : 0);
        for (const QStringList &item : Items(page, {QStringLiteral("title"), QStringLiteral("href"),
                                                    QStringLiteral("comment"), QStringLiteral("date")})) {
            if (item[0] == HostileTitle) {
                EXPECT_EQ(item[1], QStringLiteral("https://blog.example/hostile?a=1&b=%22x%22"));
                EXPECT_EQ(item[2], QStringLiteral("1行目 <img src=x onerror=alert(1)>\n2行目"));
                EXPECT_EQ(item[3], QStringLiteral("2024年3月9日"));
            }
            if (item[0] == QLatin1String("script link")) {
                EXPECT_EQ(item[1], QString()) << "a javascript: address became a link";
            }
        }
    }
}

TEST_F(TemplatePrograms, EachTemplateGroupsTheEntriesItsOwnWay)
{
    FillRichProject(Project);
    const QStringList fields = {QStringLiteral("section"), QStringLiteral("title")};
    const QString untitled = QStringLiteral("（無題）");
    EXPECT_EQ(Items(Make(QStringLiteral("list"), {}), fields),
              (QList<QStringList>{{QStringLiteral("entries"), HostileTitle},
                                  {QStringLiteral("entries"), QStringLiteral("script link")},
                                  {QStringLiteral("entries"), QStringLiteral("January")},
                                  {QStringLiteral("entries"), QStringLiteral("December")},
                                  {QStringLiteral("entries"), untitled}}));

    // In list order of the categories; an entry in two categories is in both; the
    // empty category is left out; unlinked entries and dangling links are uncategorised.
    const QJsonObject byCategory = Make(QStringLiteral("category"), {});
    EXPECT_EQ(Items(byCategory, fields),
              (QList<QStringList>{{QStringLiteral("category-2"), HostileTitle},
                                  {QStringLiteral("category-2"), QStringLiteral("January")},
                                  {QStringLiteral("category-3"), HostileTitle},
                                  {QStringLiteral("category-3"), QStringLiteral("December")},
                                  {QStringLiteral("uncategorized"), QStringLiteral("script link")},
                                  {QStringLiteral("uncategorized"), untitled}}));
    bool headingLinked = false;
    for (const QJsonValue &link : byCategory.value(QStringLiteral("links")).toArray())
        headingLinked |= link.toObject().value(QStringLiteral("href")) == QStringLiteral("https://blog.example/c/1%22%3E%3Cscript%3E")
                         && link.toObject().value(QStringLiteral("text")) == QStringLiteral("旅行 <b>&</b>");
    EXPECT_TRUE(headingLinked);

    EXPECT_EQ(Items(Make(QStringLiteral("monthly"), {}), fields),
              (QList<QStringList>{{QStringLiteral("m2024-03"), HostileTitle},
                                  {QStringLiteral("m2024-03"), QStringLiteral("script link")},
                                  {QStringLiteral("m2024-01"), QStringLiteral("January")},
                                  {QStringLiteral("m2023-12"), QStringLiteral("December")},
                                  {QStringLiteral("undated"), untitled}}));
}

TEST_F(TemplatePrograms, OrderCommentsAndDateFormatFollowTheSettings)
{
    FillRichProject(Project);
    const QJsonObject page = Make(QStringLiteral("list"), {QStringLiteral("並び順=古い順"),
                                                           QStringLiteral("コメントを表示=いいえ"),
                                                           QStringLiteral("日付の書式=yyyy/MM/dd HH:mm")});
    EXPECT_EQ(Items(page, {QStringLiteral("title"), QStringLiteral("date"), QStringLiteral("datetime"), QStringLiteral("comment")}),
              (QList<QStringList>{{QStringLiteral("（無題）"), QString(), QString(), QString()},
                                  {QStringLiteral("December"), QStringLiteral("2023/12/31 23:59"), QStringLiteral("2023-12-31T23:59:59"), QString()},
                                  {QStringLiteral("January"), QStringLiteral("2024/01/15 00:00"), QStringLiteral("2024-01-15T00:00:00"), QString()},
                                  {QStringLiteral("script link"), QStringLiteral("2024/03/01 08:00"), QStringLiteral("2024-03-01T08:00:00"), QString()},
                                  {HostileTitle, QStringLiteral("2024/03/09 10:20"), QStringLiteral("2024-03-09T10:20:30"), QString()}}));
    // The filter box is hidden until its script shows it, so the page works without it.
    EXPECT_TRUE(page.value(QStringLiteral("hidden_ids")).toArray().contains(QStringLiteral("filter-box")));
}

TEST_F(TemplatePrograms, AnEmptyProjectGivesAValidPage)
{
    for (const QString &name : TemplateNames) {
        SCOPED_TRACE(name.toStdString());
        const QJsonObject page = Make(name, {});
        EXPECT_TRUE(page.value(QStringLiteral("items")).toArray().isEmpty());
        EXPECT_FALSE(page.value(QStringLiteral("title")).toString().isEmpty());
    }
}

TEST_F(TemplatePrograms, FailuresAreReportedAndLeaveTheOldPageAlone)
{
    FillRichProject(Project);
    const QString html = Out.filePath(QStringLiteral("page.html"));
    QFile old(html);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old page");
    old.close();

    // The three programs share this code, so one of them stands for all.
    const QString program = QStringLiteral("category");
    const QString badOrder = CreateHtmlDb(*Project.Db, EmptyHtmlDb(), {QStringLiteral("並び順=ばらばら")});
    const TRun run = RunTemplate(program, {badOrder, html, TemplateProgram(program)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("「並び順」の値「ばらばら」"))) << run.errors.toStdString();
    const QString badFlag = CreateHtmlDb(*Project.Db, EmptyHtmlDb(), {QStringLiteral("コメントを表示=たぶん")});
    EXPECT_EQ(RunTemplate(program, {badFlag, html}).exitCode, 1);
    EXPECT_EQ(RunTemplate(program, {Out.filePath(QStringLiteral("missing.db")), html}).exitCode, 1);
    EXPECT_EQ(RunTemplate(program, {html, html}).exitCode, 1); // not a database
    EXPECT_EQ(RunTemplate(program, {badOrder}).exitCode, 2);
    EXPECT_EQ(RunTemplate(program, {CreateHtmlDb(*Project.Db, EmptyHtmlDb(), {}),
                                    Out.filePath(QStringLiteral("no folder/page.html"))}).exitCode, 1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old page"));
    EXPECT_EQ(QDir(Out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("page.html")});
}


TEST_F(TemplatePrograms, EveryPageLeadsBackToTheBlog)
{
    FillRichProject(Project);
    Project.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral("https://blog.example/"));
    for (const QString &name : TemplateNames) {
        SCOPED_TRACE(name.toStdString());
        // No entry title carries the blog's name, so the address stands for it.
        const QJsonArray links = Make(name, {}).value(QStringLiteral("links")).toArray();
        ASSERT_FALSE(links.isEmpty());
        EXPECT_EQ(links.first().toObject().value(QStringLiteral("href")), QStringLiteral("https://blog.example/"));
        EXPECT_EQ(links.first().toObject().value(QStringLiteral("text")), QStringLiteral("https://blog.example/"));
    }

    TTestProject named;
    named.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral("https://cats.example/"));
    named.AddEntry(QStringLiteral("https://cats.example/1"), QStringLiteral("一 | 猫 & <庭>"), EncodeDateTime(2024, 1, 2));
    named.AddEntry(QStringLiteral("https://cats.example/2"), QStringLiteral("二 | 猫 & <庭>"), EncodeDateTime(2024, 1, 1));
    for (const QString &name : TemplateNames) {
        SCOPED_TRACE(name.toStdString());
        const QString db = CreateHtmlDb(*named.Db, EmptyHtmlDb(), {});
        const QString html = Out.filePath(name + QStringLiteral("-named.html"));
        ASSERT_EQ(RunTemplate(name, {db, html, TemplateProgram(name)}).exitCode, 0);
        const QJsonObject first = CheckHtml(html).value(QStringLiteral("links")).toArray().first().toObject();
        EXPECT_EQ(first.value(QStringLiteral("href")), QStringLiteral("https://cats.example/"));
        EXPECT_EQ(first.value(QStringLiteral("text")), QStringLiteral("猫 & <庭>"));
    }
}

TEST_F(TemplatePrograms, AnOutputDatabaseWithoutTheBlogTableStillMakesAPage)
{
    FillRichProject(Project);
    const QString db = CreateHtmlDb(*Project.Db, EmptyHtmlDb(), {});
    SqliteRows(db, QStringLiteral("drop table blog"));
    for (const QString &name : TemplateNames + QStringList{QStringLiteral("fragment"), QStringLiteral("markdown")}) {
        SCOPED_TRACE(name.toStdString());
        const TRun run = RunTemplate(name, {db, Out.filePath(name), TemplateProgram(name)});
        EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    }
}

// The fragment's elements in document order, each as "name attr=value ...", and its
// link texts; any XML error is a failure.
struct TFragment
{
    QStringList elements;
    QList<QPair<QString, QString>> links; // href, text
    QStringList headings;
    QString text;
};

TFragment ParseFragment(const QString &fragment)
{
    TFragment result;
    QXmlStreamReader xml(QStringLiteral("<root>") + fragment + QStringLiteral("</root>"));
    int inLink = 0;
    int inHeading = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() != QLatin1String("root")) {
            QString element = xml.name().toString();
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                element += QLatin1Char(' ') + attribute.name().toString();
            result.elements << element;
            if (xml.name() == QLatin1String("a")) {
                result.links.append({xml.attributes().value(QStringLiteral("href")).toString(), QString()});
                ++inLink;
            }
            if (xml.name() == QLatin1String("h2") || xml.name() == QLatin1String("h3")) {
                result.headings << QString();
                ++inHeading;
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("a"))
                --inLink;
            if (xml.name() == QLatin1String("h2") || xml.name() == QLatin1String("h3"))
                --inHeading;
        } else if (xml.isCharacters()) {
            if (inLink)
                result.links.last().second += xml.text();
            if (inHeading)
                result.headings.last() += xml.text();
            result.text += xml.text();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
    return result;
}

TEST_F(TemplatePrograms, TheFragmentHoldsOnlyWhatBlogEditorsKeep)
{
    FillRichProject(Project);
    Project.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral("https://blog.example/"));
    const QSet<QString> allowed = {QStringLiteral("h2"), QStringLiteral("h3"), QStringLiteral("h4"),
                                   QStringLiteral("p"), QStringLiteral("ul"), QStringLiteral("ol"),
                                   QStringLiteral("li"), QStringLiteral("a href"), QStringLiteral("br"),
                                   QStringLiteral("strong"), QStringLiteral("small"), QStringLiteral("span")};
    for (const QString &grouping : {QStringLiteral("カテゴリー別"), QStringLiteral("月別")}) {
        SCOPED_TRACE(grouping.toStdString());
        const QString html = MakeText(QStringLiteral("fragment"),
                                      {QStringLiteral("まとめ方=") + grouping,
                                       QStringLiteral("見出し=目次 <&>"), QStringLiteral("説明=一行目\n二行目")});
        EXPECT_FALSE(html.contains(QStringLiteral("<!"))) << "no doctype nor comment";
        const TFragment fragment = ParseFragment(html);
        for (const QString &element : fragment.elements)
            EXPECT_TRUE(allowed.contains(element)) << element.toStdString();
        ASSERT_FALSE(fragment.links.isEmpty());
        EXPECT_EQ(fragment.links.first(), (QPair<QString, QString>{QStringLiteral("https://blog.example/"),
                                                                   QStringLiteral("https://blog.example/")}));
        for (const auto &link : fragment.links)
            EXPECT_TRUE(link.first.startsWith(QLatin1String("https://"))) << link.first.toStdString();
        EXPECT_TRUE(fragment.links.contains({QStringLiteral("https://blog.example/hostile?a=1&b=%22x%22"), HostileTitle}));
        EXPECT_TRUE(fragment.text.contains(QStringLiteral("1行目 <img src=x onerror=alert(1)>")));
        EXPECT_TRUE(fragment.text.contains(QStringLiteral("script link"))) << "shown, but not as a link";
        ASSERT_FALSE(fragment.headings.isEmpty());
        EXPECT_EQ(fragment.headings.first(), QStringLiteral("目次 <&>"));
        if (grouping == QStringLiteral("月別"))
            EXPECT_EQ(fragment.headings.mid(1),
                      (QStringList{QStringLiteral("2024年3月 2 件"), QStringLiteral("2024年1月 1 件"),
                                   QStringLiteral("2023年12月 1 件"), QStringLiteral("日付不明 1 件")}));
        else
            EXPECT_EQ(fragment.headings.mid(1),
                      (QStringList{QStringLiteral("旅行 <b>&</b> 2 件"), QStringLiteral("料理 2 件"),
                                   QStringLiteral("未分類 2 件")}));
    }
    const TRun bad = RunTemplate(QStringLiteral("fragment"),
                                 {CreateHtmlDb(*Project.Db, EmptyHtmlDb(), {QStringLiteral("まとめ方=週別")}),
                                  Out.filePath(QStringLiteral("bad"))});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.errors.contains(QStringLiteral("「まとめ方」の値「週別」"))) << bad.errors.toStdString();
}

// The Markdown rendered by cmark-gfm (with GitHub's table rule), as XHTML.
QString RenderMarkdown(const QString &markdown)
{
    QProcess cmark;
    cmark.start(QStandardPaths::findExecutable(QStringLiteral("cmark-gfm")),
                {QStringLiteral("-e"), QStringLiteral("table"), QStringLiteral("-e"), QStringLiteral("autolink"),
                  QStringLiteral("-e"), QStringLiteral("strikethrough")});
    EXPECT_TRUE(cmark.waitForStarted()) << "cmark-gfm is installed by scripts/install-deps.sh";
    cmark.write(markdown.toUtf8());
    cmark.closeWriteChannel();
    EXPECT_TRUE(cmark.waitForFinished(30000));
    EXPECT_EQ(cmark.exitCode(), 0);
    return QString::fromUtf8(cmark.readAllStandardOutput());
}

TEST_F(TemplatePrograms, TheMarkdownShowsEveryTitleAsItIs)
{
    const QStringList titles = {QStringLiteral("*星* と _下線_ と **太字**"),
                                QStringLiteral("[角かっこ](https://evil.example/) | 表 | の区切り"),
                                QStringLiteral("<b>タグ</b> &amp; `コード` \\ 円記号"),
                                QStringLiteral("# 見出しでない #"),
                                QStringLiteral("1. 番号でない ~~消えない~~ ![画像](x)")};
    Project.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral("https://blog.example/"));
    Project.AddEntry(QStringLiteral("https://blog.example/a b(c)"), titles.at(0), EncodeDateTime(2024, 5, 25),
                     QStringLiteral("- 箇条書きでない\n2) これも\n=== 見出しでもない"));
    for (qsizetype i = 1; i < titles.size(); ++i)
        Project.AddEntry(QStringLiteral("https://blog.example/%1").arg(i), titles.at(i), EncodeDateTime(2024, 5, 20 - int(i)));
    Project.AddEntry(QStringLiteral("javascript:alert(1)"), QStringLiteral("リンクにならない"), EncodeDateTime(2024, 4, 1));

    for (const QString &grouping : {QStringLiteral("カテゴリー別"), QStringLiteral("月別")}) {
        SCOPED_TRACE(grouping.toStdString());
        const QString markdown = MakeText(QStringLiteral("markdown"), {QStringLiteral("まとめ方=") + grouping,
                                                                        QStringLiteral("見出し=*目次* #")});
        const QString html = RenderMarkdown(markdown);
        const TFragment page = ParseFragment(html);
        // Nothing but headings, paragraphs, one list a group, links and line breaks.
        for (const QString &element : page.elements)
            EXPECT_TRUE(QStringList({QStringLiteral("h1"), QStringLiteral("h2"), QStringLiteral("p"),
                                     QStringLiteral("ul"), QStringLiteral("li"), QStringLiteral("a href"),
                                     QStringLiteral("br")}).contains(element))
                << element.toStdString() << "\n" << markdown.toStdString();
        QList<QPair<QString, QString>> expected = {{QStringLiteral("https://blog.example/"), QStringLiteral("https://blog.example/")},
                                                   {QStringLiteral("https://blog.example/a%20b%28c%29"), titles.at(0)}};
        for (qsizetype i = 1; i < titles.size(); ++i)
            expected.append({QStringLiteral("https://blog.example/%1").arg(i), titles.at(i)});
        EXPECT_EQ(page.links, expected) << markdown.toStdString();
        EXPECT_TRUE(page.text.contains(QStringLiteral("- 箇条書きでない\n2) これも\n=== 見出しでもない")))
            << page.text.toStdString();
        EXPECT_TRUE(page.text.contains(QStringLiteral("リンクにならない")));
        EXPECT_TRUE(html.startsWith(QStringLiteral("<h1>*目次* #</h1>"))) << html.toStdString();
    }
}

// Pasted into an editor's Markdown mode, the fragment stays the HTML it is: no blank
// line ends it early, and no title, category name or comment starts Markdown.
TEST_F(TemplatePrograms, TheFragmentStaysInertInAMarkdownEditor)
{
    const QString marks = QStringLiteral("![画像](http://127.0.0.1:9/pixel.png) *星* _下線_ `コード` [リンク](http://127.0.0.1:9/) ~~線~~");
    Project.Db->SetConfig(QStringLiteral("entry_url"), QStringLiteral("https://blog.example/"));
    Project.AddEntry(QStringLiteral("https://blog.example/1"), QStringLiteral("題\n\n") + marks, EncodeDateTime(2024, 5, 1),
                     QStringLiteral("感想\r\n\r\n\n") + marks);
    Project.Db->InsertCategory(0, QStringLiteral(" "), QString());
    Project.Db->InsertCategory(1, QStringLiteral("旅\n\n") + marks, QStringLiteral("https://blog.example/c/1"));
    Project.Db->InsertCategoryEntries(1, {QStringLiteral("https://blog.example/1")});
    const QString fragment = MakeText(QStringLiteral("fragment"), {QStringLiteral("まとめ方=カテゴリー別")});
    EXPECT_FALSE(fragment.contains(QStringLiteral("\n\n"))) << fragment.toStdString();
    for (const QString &mark : {QStringLiteral("!["), QStringLiteral("*星"), QStringLiteral("_下"), QStringLiteral("`"),
                                QStringLiteral("[リ"), QStringLiteral("~~")})
        EXPECT_FALSE(fragment.contains(mark)) << mark.toStdString() << "\n" << fragment.toStdString();
    // Read as HTML, every text is as it was, folded.
    const TFragment html = ParseFragment(fragment);
    EXPECT_TRUE(html.links.contains({QStringLiteral("https://blog.example/1"), QStringLiteral("題 ") + marks}));
    EXPECT_TRUE(html.links.contains({QStringLiteral("https://blog.example/c/1"), QStringLiteral("旅 ") + marks}));
    EXPECT_TRUE(html.text.contains(QStringLiteral("感想") + marks)) << html.text.toStdString();
    // Read as Markdown, it makes no image, emphasis, code or link of its own.
    const QString rendered = RenderMarkdown(fragment);
    for (const QString &element : {QStringLiteral("<img"), QStringLiteral("<em>"), QStringLiteral("<code>"),
                                   QStringLiteral("<a "), QStringLiteral("<del>")})
        EXPECT_FALSE(rendered.contains(element)) << element.toStdString() << "\n" << rendered.toStdString();
}

} // namespace
