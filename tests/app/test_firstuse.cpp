// What a new user meets on the way from a blog's URL to a table of contents pasted into
// the blog: the kinds of template, their values, the comment page, the menus and help,
// and a second start of the program.

#include "Apptestsupport.h"

#include "app/Tcommentgrid.h"
#include "app/Tsingleinstance.h"
#include "app/Tvaluelisteditor.h"
#include "app/Twindowstate.h"
#include "app/UnitFormBlogTypeHelp.h"
#include "app/UnitFormComment.h"
#include "app/UnitFormConfigGeneral.h"
#include "app/UnitFormGuide.h"
#include "platform/Tappconfig.h"
#include "platform/Tdatetime.h"
#include "platform/Tinifile.h"
#include "store/Tldbdb.h"

#include <QClipboard>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

namespace {
using FirstUse = AppTest;

// Takes the file URLs (folders, pages) the program hands to the desktop.
class TOpenedFiles : public QObject
{
    Q_OBJECT

public:
    TOpenedFiles() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~TOpenedFiles() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QStringList Paths;

public Q_SLOTS:
    void Open(const QUrl &url) { Paths << url.toLocalFile(); }
};

int TemplateRow(const TFormMain &form, const QString &program)
{
    TTemplateManager manager;
    manager.Load();
    const THtmlTemplateList templates = manager.GetTemplates();
    for (int i = 0; i < templates.size(); ++i) {
        if (templates.at(i).GetExePath().endsWith(program))
            return i;
    }
    ADD_FAILURE() << program.toStdString();
    return form.ComboBoxHtmlTemplate->count();
}

void ChooseTemplate(TFormMain &form, const QString &program)
{
    form.ComboBoxHtmlTemplate->setCurrentIndex(TemplateRow(form, program));
    form.ComboBoxHtmlTemplateChange();
}

QString ReadText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST_F(FirstUse, EachKindOfTableOfContentsIsNamedSavedAndHandedOnAsItsUserNeeds)
{
    TFormMain &form = Main();
    form.GetDb()->InsertEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("貼り付ける記事"),
                              EncodeDateTime(2009, 3, 5), false);
    form.GetDb()->SetConfig(QStringLiteral("blog_name"), QStringLiteral("旅/日記"));
    const QString folder = TempPath(QString()) + QLatin1Char('/');
    TOpenedFiles opened;

    struct Case {
        const char *program, *kind, *filter, *offered, *typed, *made, *content, *message;
        int choice; // 0: clipboard (fragment, Markdown) or browser (page); 1: folder
    };
    const Case cases[] = {
        {"varnoki-toc-markdown", "Markdown", "Markdownファイル(*.md)", "旅 日記の目次.md", "mokuji", "mokuji.md",
         "[貼り付ける記事](<http://blog.example/1>)", "Markdownファイルを作成しました。", 0},
        {"varnoki-toc-fragment", "HTML断片", "HTMLファイル(*.html *.htm)", "旅 日記の目次.html", "断片", "断片.html",
         "href=\"http://blog.example/1\"", "HTML断片のファイルを作成しました。", 0},
        {"varnoki-toc-list", "HTMLページ", "HTMLファイル(*.html *.htm)", "旅 日記の目次.html", "page", "page.html",
         "<html", "HTMLファイルを作成しました。", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.program);
        ChooseTemplate(form, QString::fromUtf8(c.program));
        EXPECT_TRUE(form.ComboBoxHtmlTemplate->currentText().endsWith(QString::fromUtf8(c.kind)));
        QApplication::clipboard()->clear();
        opened.Paths.clear();
        TFileDialog::SetNextFileName(folder + QString::fromUtf8(c.typed));
        TMessageBox::SetNextChoice(c.choice);
        form.ActionHtmlMake->trigger();
        EXPECT_TRUE(TFileDialog::LastFilter().startsWith(QString::fromUtf8(c.filter))) << TFileDialog::LastFilter().toStdString();
        EXPECT_EQ(TFileDialog::LastFileName(), QString::fromUtf8(c.offered));
        const QStringList shown = ShownOnceTheProgramEnds();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown.first().startsWith(QString::fromUtf8(c.message) + QLatin1Char('\n') + folder + QString::fromUtf8(c.made)))
            << shown.first().toStdString();
        const QString made = ReadText(folder + QString::fromUtf8(c.made));
        EXPECT_TRUE(made.contains(QString::fromUtf8(c.content))) << made.left(300).toStdString();
        if (c.choice == 0 && QString::fromUtf8(c.kind) != QStringLiteral("HTMLページ")) {
            EXPECT_EQ(QApplication::clipboard()->text(), made) << "the file's text, ready to paste";
        } else if (c.choice == 1) {
            EXPECT_EQ(opened.Paths, QStringList{TempPath(QString())});
        }
    }
    // The page says which kind suits a blog service.
    EXPECT_TRUE(form.LabelHtmlKind->text().contains(QStringLiteral("HTML断片")));
}

TEST_F(FirstUse, TemplateValuesShowTheirDefaultsAndComeBackWithTheirTemplate)
{
    TFormMain &form = Main();
    ChooseTemplate(form, QStringLiteral("varnoki-toc-fragment"));
    TValueListEditor &editor = *form.EditHtmlConf;
    int heading = -1, order = -1;
    for (int row = 0; row < editor.rowCount(); ++row) {
        if (editor.GetName(row) == QStringLiteral("見出し"))
            heading = row;
        if (editor.GetName(row) == QStringLiteral("並び順"))
            order = row;
    }
    ASSERT_GE(heading, 0);
    ASSERT_GE(order, 0);
    // Empty values show what the template will use, greyed, and stay empty.
    EXPECT_EQ(editor.item(heading, 1)->data(TValueListEditor::DefaultRole).toString(), QStringLiteral("目次"));
    EXPECT_EQ(editor.GetValue(heading), QString());
    // The drop-down of an empty value offers no blank line and opens on the default.
    editor.setFocus();
    editor.setCurrentCell(order, 1);
    QTest::keyClick(&editor, Qt::Key_F2);
    auto *combo = qobject_cast<QComboBox *>(editor.indexWidget(editor.currentIndex()));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->findText(QString()), -1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("新しい順"));
    combo->setCurrentIndex(combo->findText(QStringLiteral("古い順")));
    editor.CommitEdit();
    editor.item(heading, 1)->setText(QStringLiteral("記事の一覧"));

    // Another template and back: what was typed is there again, also after a save
    // and a reopening of the project.
    ChooseTemplate(form, QStringLiteral("varnoki-toc-markdown"));
    EXPECT_EQ(editor.GetValue(QStringLiteral("見出し")), QString());
    editor.SetValue(QStringLiteral("見出し"), QStringLiteral("Markdown の見出し"));
    ChooseTemplate(form, QStringLiteral("varnoki-toc-fragment"));
    EXPECT_EQ(editor.GetValue(QStringLiteral("見出し")), QStringLiteral("記事の一覧"));
    EXPECT_EQ(editor.GetValue(QStringLiteral("並び順")), QStringLiteral("古い順"));
    const QString file = TempPath(QStringLiteral("values.FDB"));
    TFileDialog::SetNextFileName(file);
    form.ActionFileSaveAs->trigger();
    form.ActionFileNew->trigger();
    form.OpenProjectFile(file);
    EXPECT_EQ(editor.GetValue(QStringLiteral("見出し")), QStringLiteral("記事の一覧"));
    ChooseTemplate(form, QStringLiteral("varnoki-toc-markdown"));
    EXPECT_EQ(editor.GetValue(QStringLiteral("見出し")), QStringLiteral("Markdown の見出し"));
    // What an older version reads of the file is as before: the current template's values.
    TProject project;
    form.GatherProject(project);
    EXPECT_EQ(project.GetHtmlValues().value(QStringLiteral("見出し")), QStringLiteral("Markdown の見出し"));
}

TEST_F(FirstUse, TheCommentPageFitsTheWindowAndEditsInPlaceOrEntryByEntry)
{
    TFormMain &form = Main();
    TLdbDb &db = *form.GetDb();
    for (int i = 1; i <= 3; ++i)
        db.InsertEntry(QStringLiteral("http://blog.example/2009/03/05/a-rather-long-entry-address-%1.html").arg(i),
                       QStringLiteral("記事 %1").arg(i), EncodeDateTime(2009, 3, i), false);
    form.PageControl1->setCurrentIndex(1);
    QTableView &grid = *form.GridComment;
    QCoreApplication::processEvents();
    // At the window's size the comment column is on screen and the widest; rows are one line.
    const int viewport = grid.viewport()->width();
    const int comment = grid.columnViewportPosition(TCommentGridModel::ColumnComment);
    EXPECT_LE(comment + 40, viewport) << "the comment column starts off the screen";
    EXPECT_GE(viewport - comment, viewport * 2 / 5 - 4);
    EXPECT_LT(grid.columnWidth(TCommentGridModel::ColumnUrl), grid.columnWidth(TCommentGridModel::ColumnComment));
    EXPECT_LT(grid.rowHeight(0), grid.fontMetrics().lineSpacing() * 2);

    // F2 on a row edits its comment where it stands; Enter stores it.
    for (TFormGuide *guide : form.findChildren<TFormGuide *>())
        guide->close(); // the first start's
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, TCommentGridModel::ColumnUrl));
    QTest::keyClick(&grid, Qt::Key_F2);
    auto *line = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr) << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none")
                             << " editing " << (grid.indexWidget(grid.currentIndex()) != nullptr);
    line->setText(QStringLiteral("その場で書いた"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&db] { return db.LoadEntries().at(0).GetComment() == QStringLiteral("その場で書いた"); }, 5000));
    EXPECT_TRUE(form.IsModified());

    // The dialog goes on to the next entry, keeping what was written, and says how to confirm.
    QStringList seen;
    const std::function<void(TFormComment *)> last = [&seen](TFormComment *dialog) {
        seen << dialog->LabelTitle->text();
        EXPECT_TRUE(dialog->ButtonPrevious->isEnabled());
        EXPECT_FALSE(dialog->ButtonNext->isEnabled());
        dialog->MemoComment->setPlainText(QStringLiteral("次の記事"));
        dialog->BitBtn1->click();
    };
    WhenModal<TFormComment>([this, &seen, &last](TFormComment *dialog) {
        seen << dialog->LabelTitle->text();
        EXPECT_TRUE(dialog->LabelHint->text().contains(QStringLiteral("Ctrl+Enter")));
        EXPECT_TRUE(dialog->ButtonPrevious->isEnabled());
        dialog->MemoComment->setPlainText(QStringLiteral("二行の\nコメント"));
        // The same dialog, shown again for the next entry.
        WhenModal<TFormComment>(last);
        dialog->ButtonNext->click();
    });
    grid.setCurrentIndex(grid.model()->index(1, 0));
    form.ActionCommentEdit->trigger();
    FModalTimers.clear();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("記事 2"), QStringLiteral("記事 3")}));
    const TEntryList entries = db.LoadEntries();
    EXPECT_EQ(entries.at(1).GetComment().replace(QStringLiteral("\r\n"), QStringLiteral("\n")), QStringLiteral("二行の\nコメント"));
    EXPECT_EQ(entries.at(2).GetComment(), QStringLiteral("次の記事"));
    EXPECT_EQ(grid.currentIndex().row(), 2);
}

TEST_F(FirstUse, TheRecentFilesMenuWorksFromTheFirstRun)
{
    TWindowState::Write(QStringLiteral("FormMain/RecentFiles"), QByteArray());
    TFormMain &form = Main();
    EXPECT_FALSE(form.MenuRecentFiles->isEnabled());
    const QString file = TempPath(QStringLiteral("first run.FDB"));
    TFileDialog::SetNextFileName(file);
    form.ActionFileSaveAs->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.MenuRecentFiles->isEnabled());
    const QAction *recent = form.findChild<QAction *>(QStringLiteral("ActionRecentFile1"));
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(recent->text().endsWith(QDir::toNativeSeparators(file)));
}

TEST_F(FirstUse, HelpStartsOnceAndF1AndTheHelpWindowsOpenOnWhatIsInUse)
{
    // The first start shows how to begin; later starts do not.
    TWindowState::Write(QStringLiteral("FormMain/StartGuideShown"), QByteArray());
    TFormMain &form = Main();
    auto guides = [&form] {
        QStringList pages;
        for (const TFormGuide *guide : form.findChildren<TFormGuide *>()) {
            if (guide->isVisible())
                pages << guide->GetPage().toString();
        }
        return pages;
    };
    EXPECT_EQ(guides(), QStringList{QStringLiteral("qrc:/help/start.html")});
    for (TFormGuide *guide : form.findChildren<TFormGuide *>())
        guide->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.findChildren<TFormGuide *>().isEmpty());
    EXPECT_FALSE(TWindowState::Read(QStringLiteral("FormMain/StartGuideShown")).isEmpty());
    EXPECT_TRUE(form.ActionHelpStart->isEnabled());

    // F1 on the comment page: its own help.
    form.PageControl1->setCurrentIndex(1);
    form.ActionHelpContents->trigger();
    EXPECT_EQ(guides(), QStringList{QStringLiteral("qrc:/help/comment.html")});
    EXPECT_TRUE(form.findChild<TFormGuide *>()->Browser->toPlainText().contains(QStringLiteral("Ctrl+Enter")));

    // The blog type help opens on the type chosen.
    form.PageControl1->setCurrentIndex(0);
    ASSERT_GE(form.ComboBoxBlogType->count(), 2);
    form.ComboBoxBlogType->setCurrentIndex(1);
    int selected = -1;
    WhenModal<TFormBlogTypeHelp>([&selected](TFormBlogTypeHelp *window) {
        selected = window->ListViewBlog->indexOfTopLevelItem(window->ListViewBlog->currentItem());
        window->BitBtn1->click();
    });
    form.ActionBlogTypeHelp->trigger();
    FModalTimers.clear();
    EXPECT_EQ(selected, 1);

    // Deleting a category names it.
    form.ListViewCategory->addTopLevelItem(new QTreeWidgetItem(QStringList{QStringLiteral("旅行"), QStringLiteral("http://blog.example/c")}));
    form.ListViewCategory->setCurrentItem(form.ListViewCategory->topLevelItem(0));
    form.ActionDeleteCategory->trigger();
    const QStringList asked = TMessageBox::TakeShownTexts();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.first().startsWith(QStringLiteral("選択されているカテゴリを削除します。\nよろしいですか？")));
    EXPECT_TRUE(asked.first().contains(QStringLiteral("「旅行」"))) << asked.first().toStdString();

    // The settings suggest a polite wait and offer the environment's proxy.
    TAppConfig &config = TAppConfig::GetInstance();
    TFormConfigGeneral settings(&form, config);
    EXPECT_TRUE(settings.LabelSleepHint->text().contains(QStringLiteral("1000 ms")));
    settings.RadioButtonSystemProxy->setChecked(true);
    settings.BtnOKClick();
    const QString ini = TempPath(QStringLiteral("settings.ini"));
    config.Save(ini);
    config.SetDefaults();
    config.Load(ini);
    EXPECT_TRUE(config.GetUseSystemProxy());
    EXPECT_FALSE(config.GetUseProxy());
    EXPECT_FALSE(TIniFile(ini).ReadBool(QStringLiteral("HTTP_PROXY"), QStringLiteral("UseProxy"), true))
        << "an older version reads: no proxy";
    config.SetDefaults();
}

TEST_F(FirstUse, ASecondStartOnAnOpenProjectBringsItsWindowForwardAndEnds)
{
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(TempPath(QStringLiteral("run"))));
    QDir().mkpath(TempPath(QStringLiteral("run")));
    QFile::setPermissions(TempPath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    TFormMain &form = Main();
    const QString file = TempPath(QStringLiteral("open.FDB"));
    TFileDialog::SetNextFileName(file);
    form.ActionFileSaveAs->trigger();
    bool broughtForward = false;
    TSingleInstance instance(
        [&form](const QString &fileName) { return SameProjectFile(fileName, form.GetProject().GetFileName()); },
        [&form, &broughtForward] {
            broughtForward = true;
            form.BringToFront();
        });
    form.showMinimized();

    // The program itself, as the file manager starts it.
    QProcess second;
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.setWorkingDirectory(TempPath(QString()));
    second.start(TestPaths::BinDir() + QStringLiteral("/varnoki"), {QStringLiteral("./open.FDB")});
    const QDeadlineTimer deadline(30000);
    while (second.state() != QProcess::NotRunning && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
        FAIL() << "the second start did not end";
    }
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(broughtForward);
    EXPECT_FALSE(form.windowState() & Qt::WindowMinimized);

    // Another file is not this window's: it would be opened by the second start.
    EXPECT_FALSE(TSingleInstance::ShowInRunningWindow(TempPath(QStringLiteral("other.FDB"))));
    qunsetenv("XDG_RUNTIME_DIR");
}

#include "test_firstuse.moc"
