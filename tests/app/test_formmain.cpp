#include "Apptestsupport.h"
#include "../output/Outputtestsupport.h"

#include "app/Tcommentgrid.h"
#include "app/Tvaluelisteditor.h"
#include "app/Twindowstate.h"
#include "app/UnitFormBlogTypeHelp.h"
#include "app/UnitFormCategory.h"
#include "app/UnitFormComment.h"
#include "app/UnitFormHtmlTemplateHelp.h"
#include "app/Tfiledialog.h"
#include "app/Tmessagebox.h"
#include "output/Ttemplatemanager.h"
#include "platform/Tappconfig.h"
#include "platform/Tdatetime.h"
#include "store/Tldbdb.h"
#include "store/Tproject.h"
#include "store/Tworkingcopy.h"
#include "Projectfixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QMenu>
#include <QDesktopServices>
#include <QHeaderView>
#include <QTest>
#include <QToolButton>
#include <QFileInfo>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>

namespace {
const QString Title = QStringLiteral("ブログ目次作成ソフト Varnoki");

THtmlTemplateList InstalledTemplates()
{
    TTemplateManager manager;
    manager.Load();
    return manager.GetTemplates();
}

QStringList EmptyValues(const THtmlTemplate &htmlTemplate)
{
    QStringList lines;
    for (const QString &name : htmlTemplate.GetConfigNames())
        lines.append(name + QLatin1Char('='));
    return lines;
}

QStringList CategoryRows(const TFormMain &form)
{
    QStringList rows;
    for (int i = 0; i < form.ListViewCategory->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = form.ListViewCategory->topLevelItem(i);
        rows.append(item->text(0) + QLatin1Char('|') + item->text(1));
    }
    return rows;
}

using MainWindow = AppTest;

} // namespace

TEST_F(MainWindow, StartsWithTheFirstBlogTypeAndTemplateAndAnEmptyUnsavedProject)
{
    TFormMain &form = Main();
    EXPECT_EQ(form.windowTitle(), Title);
    EXPECT_FALSE(form.IsModified());
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_TRUE(form.GetDb()->IsConnected());

    EXPECT_EQ(form.ComboBoxBlogType->count(), 2);
    EXPECT_EQ(form.ComboBoxBlogType->currentText(), QStringLiteral("テスト用ブログ"));
    EXPECT_EQ(form.ComboBoxBlogType->statusTip(), QStringLiteral("テスト用のブログの種類です。"));
    EXPECT_TRUE(form.EditEntryUrl->text().isEmpty());
    EXPECT_FALSE(form.CheckBoxDownloadNewEntryOnly->isChecked());
    EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), 0);

    const THtmlTemplateList templates = InstalledTemplates();
    ASSERT_GE(templates.size(), 2);
    EXPECT_EQ(form.ComboBoxHtmlTemplate->count(), templates.size());
    EXPECT_TRUE(form.ComboBoxHtmlTemplate->currentText().startsWith(templates.first().GetName() + QStringLiteral(" — ")));
    EXPECT_EQ(form.EditHtmlConf->GetStrings(), EmptyValues(templates.first()));

    EXPECT_EQ(form.ActionFileNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    EXPECT_EQ(form.ActionFileOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(form.ActionFileSave->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(form.ActionDownloadCategory->statusTip(),
              QStringLiteral("ブログにアクセスして、各カテゴリーのエントリーを取得します。"));
}

TEST_F(MainWindow, TheBlogTypeHintFollowsTheSelectedType)
{
    TFormMain &form = Main();
    form.ComboBoxBlogType->setCurrentIndex(1);
    EXPECT_EQ(form.ComboBoxBlogType->statusTip(), QStringLiteral("二つ目のブログの種類です。"));
    EXPECT_TRUE(form.IsModified());

    TProject project;
    project.SetBlogTypeName(QStringLiteral("テスト用ブログ"));
    form.ShowProject(project);
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
    EXPECT_EQ(form.ComboBoxBlogType->statusTip(), QStringLiteral("テスト用のブログの種類です。"));

    project.SetBlogTypeName(QStringLiteral("もうないブログ"));
    form.ComboBoxBlogType->setCurrentIndex(1);
    form.ShowProject(project);
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
}

TEST_F(MainWindow, CategoriesAreAddedChangedAndDeletedOnlyAfterConfirmation)
{
    TFormMain &form = Main();
    for (int i = 0; i < 2; ++i) {
        WhenModal<TFormCategory>([](TFormCategory *dialog) {
            EXPECT_TRUE(dialog->EditName->text().isEmpty());
            dialog->EditName->setText(QStringLiteral("日記"));
            dialog->EditUrl->setText(QStringLiteral("http://blog.example/diary"));
            dialog->BtnOk->click();
        });
        form.ActionInsertCategory->trigger();
    }
    EXPECT_EQ(CategoryRows(form), QStringList(2, QStringLiteral("日記|http://blog.example/diary")));
    EXPECT_TRUE(form.IsModified());
    EXPECT_EQ(form.windowTitle(), QLatin1Char('*') + Title);

    // Without a selected row, change and delete do nothing at all.
    bool opened = false;
    WhenModal<TFormCategory>([&opened](TFormCategory *dialog) {
        opened = true;
        dialog->reject();
    });
    form.ActionUpdateCategory->trigger();
    form.ActionDeleteCategory->trigger();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty());
    FModalTimers.clear();

    form.ListViewCategory->setCurrentItem(form.ListViewCategory->topLevelItem(1));
    WhenModal<TFormCategory>([](TFormCategory *dialog) {
        EXPECT_EQ(dialog->EditName->text(), QStringLiteral("日記"));
        EXPECT_EQ(dialog->EditUrl->text(), QStringLiteral("http://blog.example/diary"));
        dialog->EditName->setText(QStringLiteral("旅行 記録"));
        dialog->EditUrl->setText(QStringLiteral("http://blog.example/travel"));
        dialog->BtnOk->click();
    });
    form.ActionUpdateCategory->trigger();
    EXPECT_EQ(CategoryRows(form), (QStringList{QStringLiteral("日記|http://blog.example/diary"),
                                               QStringLiteral("旅行 記録|http://blog.example/travel")}));

    // Cancelling the dialog changes nothing.
    WhenModal<TFormCategory>([](TFormCategory *dialog) {
        dialog->EditName->setText(QStringLiteral("別の名前"));
        dialog->BitBtn2->click();
    });
    form.ActionUpdateCategory->trigger();
    EXPECT_EQ(CategoryRows(form).last(), QStringLiteral("旅行 記録|http://blog.example/travel"));

    const QString question = QStringLiteral("選択されているカテゴリを削除します。\nよろしいですか？")
                             + QStringLiteral("\n\n「%1」\n%2").arg(form.ListViewCategory->topLevelItem(0)->text(0),
                                                                  form.ListViewCategory->topLevelItem(0)->text(1));
    form.ListViewCategory->setCurrentItem(form.ListViewCategory->topLevelItem(0));
    TMessageBox::SetNextAnswer(QMessageBox::Cancel); // dismissed with Escape or the close box
    form.ActionDeleteCategory->trigger();
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList{question});
    EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), 2);

    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    form.ActionDeleteCategory->trigger();
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList{question});
    EXPECT_EQ(CategoryRows(form), QStringList{QStringLiteral("旅行 記録|http://blog.example/travel")});
}

TEST_F(MainWindow, NewSaveAsSaveAndOpenKeepTheProjectThroughItsFile)
{
    TFormMain &form = Main();
    const THtmlTemplateList templates = InstalledTemplates();
    form.ComboBoxBlogType->setCurrentIndex(1);
    form.EditEntryUrl->setText(QStringLiteral("http://blog.example/"));
    WhenModal<TFormCategory>([](TFormCategory *dialog) {
        dialog->EditName->setText(QStringLiteral("日記"));
        dialog->EditUrl->setText(QStringLiteral("http://blog.example/diary"));
        dialog->BtnOk->click();
    });
    form.ActionInsertCategory->trigger();
    form.ComboBoxHtmlTemplate->setCurrentIndex(1);
    form.ComboBoxHtmlTemplateChange();
    form.EditHtmlConf->item(0, 1)->setText(QStringLiteral("ブログの目次"));

    // Save on a project never saved asks for a name, in the user's home folder.
    form.ActionFileSave->trigger();
    EXPECT_EQ(TFileDialog::LastDirectory(), QDir::homePath());
    EXPECT_TRUE(form.IsModified()) << "a cancelled dialog saves nothing";
    EXPECT_EQ(form.windowTitle(), QLatin1Char('*') + Title);

    const QString file = TempPath(QStringLiteral("myblog.FDB"));
    TFileDialog::SetNextFileName(TempPath(QStringLiteral("myblog")));
    form.ActionFileSave->trigger();
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(form.GetProject().GetFileName(), file);
    EXPECT_EQ(form.windowTitle(), Title + QStringLiteral(" - myblog.FDB"));
    EXPECT_FALSE(form.IsModified());

    // A later Save writes the same file without a dialog; Save As suggests its folder.
    form.EditEntryUrl->setText(QStringLiteral("http://blog.example/top"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("*") + Title + QStringLiteral(" - myblog.FDB"));
    form.ActionFileSave->trigger();
    EXPECT_EQ(form.windowTitle(), Title + QStringLiteral(" - myblog.FDB"));
    form.ActionFileSaveAs->trigger();
    EXPECT_EQ(TFileDialog::LastDirectory(), FTemp.path());
    EXPECT_EQ(form.GetProject().GetFileName(), file);

    form.ActionFileNew->trigger();
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty()) << "nothing to ask about";
    EXPECT_EQ(form.windowTitle(), Title);
    EXPECT_TRUE(form.EditEntryUrl->text().isEmpty());
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
    EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), 0);
    EXPECT_EQ(form.ComboBoxHtmlTemplate->currentIndex(), 1) << "New keeps the chosen template";
    EXPECT_EQ(form.EditHtmlConf->GetStrings(), EmptyValues(templates.at(1)));

    TFileDialog::SetNextFileName(file);
    form.ActionFileOpen->trigger();
    EXPECT_EQ(form.windowTitle(), Title + QStringLiteral(" - myblog.FDB"));
    EXPECT_FALSE(form.IsModified());
    EXPECT_EQ(form.EditEntryUrl->text(), QStringLiteral("http://blog.example/top"));
    EXPECT_EQ(form.ComboBoxBlogType->currentText(), QStringLiteral("二つ目のブログ"));
    EXPECT_EQ(CategoryRows(form), QStringList{QStringLiteral("日記|http://blog.example/diary")});
    EXPECT_EQ(form.ComboBoxHtmlTemplate->currentIndex(), 1);
    QStringList values = EmptyValues(templates.at(1));
    values[0] += QStringLiteral("ブログの目次");
    EXPECT_EQ(form.EditHtmlConf->GetStrings(), values);
}

TEST_F(MainWindow, NewOpenAndCloseAskBeforeUnsavedChangesAreLost)
{
    TFormMain &form = Main();
    const QString question = QStringLiteral("変更を保存しますか？");
    form.EditEntryUrl->setText(QStringLiteral("http://a.example/"));
    ASSERT_TRUE(form.IsModified());

    TMessageBox::SetNextAnswer(QMessageBox::Cancel);
    form.ActionFileNew->trigger();
    TMessageBox::SetNextAnswer(QMessageBox::Cancel);
    form.ActionFileOpen->trigger();
    TMessageBox::SetNextAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(form.close());
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList(3, question));
    EXPECT_EQ(form.EditEntryUrl->text(), QStringLiteral("http://a.example/"));
    EXPECT_TRUE(form.isVisible());

    // Save whose file dialog is cancelled stays too.
    TMessageBox::SetNextAnswer(QMessageBox::Save);
    form.ActionFileNew->trigger();
    EXPECT_EQ(form.EditEntryUrl->text(), QStringLiteral("http://a.example/"));

    const QString kept = TempPath(QStringLiteral("kept.FDB"));
    TMessageBox::SetNextAnswer(QMessageBox::Save);
    TFileDialog::SetNextFileName(kept);
    form.ActionFileNew->trigger();
    EXPECT_TRUE(form.EditEntryUrl->text().isEmpty());
    EXPECT_FALSE(form.IsModified());

    form.EditEntryUrl->setText(QStringLiteral("http://b.example/"));
    TMessageBox::SetNextAnswer(QMessageBox::Discard);
    TFileDialog::SetNextFileName(kept);
    form.ActionFileOpen->trigger();
    EXPECT_EQ(form.EditEntryUrl->text(), QStringLiteral("http://a.example/"));
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList(3, question));

    // Downloads and comment edits count as changes too; see the download and comment
    // tests. A project just opened closes without a question.
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty());
    EXPECT_EQ(form.GetDb(), nullptr);
}

TEST_F(MainWindow, TheCommentPageListsEntriesAndStoresEditedComments)
{
    TFormMain &form = Main();
    // Without entries: one empty row, and editing does nothing.
    form.PageControl1->setCurrentIndex(1);
    const TCommentGridModel *model = form.GetCommentModel();
    EXPECT_EQ(model->rowCount(), 1);
    bool opened = false;
    WhenModal<TFormComment>([&opened](TFormComment *dialog) {
        opened = true;
        dialog->reject();
    });
    form.GridComment->setCurrentIndex(form.GridComment->model()->index(0, 0));
    form.ActionCommentEdit->trigger();
    EXPECT_FALSE(opened);
    FModalTimers.clear();
    form.PageControl1->setCurrentIndex(0);

    TLdbDb &db = *form.GetDb();
    db.InsertEntry(QStringLiteral("http://blog.example/2"), QStringLiteral("二番目"),
                   EncodeDateTime(2009, 3, 5, 12, 34), false);
    db.InsertEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("一番目"), 0, false);
    db.DeleteCategories();
    db.InsertCategory(0, QStringLiteral(" "), QString());
    db.InsertCategory(1, QStringLiteral("日記"), QStringLiteral("http://blog.example/c1"));
    db.InsertCategory(2, QStringLiteral("旅行 記録"), QStringLiteral("http://blog.example/c2"));
    db.InsertCategoryEntries(1, {QStringLiteral("http://blog.example/2")});
    db.InsertCategoryEntries(2, {QStringLiteral("http://blog.example/2")});

    form.PageControl1->setCurrentIndex(1);
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->CellText(0, 0), QStringLiteral("http://blog.example/2"));
    EXPECT_EQ(model->CellText(0, 1), QStringLiteral("2009/03/05"));
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("二番目"));
    EXPECT_EQ(model->CellText(0, 3), QStringLiteral("日記,\"旅行 記録\""));
    EXPECT_EQ(model->CellText(1, 1), QStringLiteral("1899/12/30"));
    EXPECT_EQ(model->CellText(1, 3), QString());

    form.GridComment->setCurrentIndex(form.GridComment->model()->index(1, 0));
    WhenModal<TFormComment>([](TFormComment *dialog) {
        EXPECT_EQ(dialog->LabelTitle->text(), QStringLiteral("一番目"));
        EXPECT_EQ(dialog->GetUrl(), QStringLiteral("http://blog.example/1"));
        dialog->MemoComment->setPlainText(QStringLiteral("一行目\n二行目"));
        dialog->BitBtn1->click();
    });
    form.ActionCommentEdit->trigger();
    EXPECT_EQ(model->CellText(1, 4), QStringLiteral("一行目\n二行目"));
    EXPECT_TRUE(form.IsModified());

    WhenModal<TFormComment>([](TFormComment *dialog) {
        dialog->MemoComment->setPlainText(QStringLiteral("取り消す"));
        dialog->BitBtn2->click();
    });
    form.ActionCommentEdit->trigger();
    EXPECT_EQ(model->CellText(1, 4), QStringLiteral("一行目\n二行目"));

    // Leaving the page drops the list; coming back reads the stored comment.
    form.PageControl1->setCurrentIndex(0);
    EXPECT_EQ(model->GetEntries().size(), 0);
    form.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(model->CellText(1, 4), QStringLiteral("一行目\n二行目"));
}

namespace {
// Takes the URLs the program hands to the desktop, in place of a browser.
class TOpenedUrls : public QObject
{
    Q_OBJECT

public:
    TOpenedUrls()
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~TOpenedUrls() override
    {
        for (const QString &scheme : {QStringLiteral("http"), QStringLiteral("https")})
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QStringList Urls;

public Q_SLOTS:
    void Open(const QUrl &url) { Urls << url.toString(); }
};

QStringList ShownColumn(const TFormMain &form, int column)
{
    QStringList texts;
    const QAbstractItemModel *model = form.GridComment->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}
} // namespace

TEST_F(MainWindow, TheCommentPageFiltersSortsAndOpensEntries)
{
    TFormMain &form = Main();
    TLdbDb &db = *form.GetDb();
    db.InsertEntry(QStringLiteral("http://blog.example/2024/03/spring-walk/"), QStringLiteral("春の Ｗａｌｋ"),
                   EncodeDateTime(2024, 3, 1, 9, 0), false);
    db.InsertEntry(QStringLiteral("http://blog.example/2023/12/winter/"), QStringLiteral("冬の朝"),
                   EncodeDateTime(2023, 12, 24, 8, 0), false);
    db.InsertEntry(QStringLiteral("http://blog.example/2024/05/rain/"), QStringLiteral("雨の日"),
                   EncodeDateTime(2024, 5, 2, 18, 0), false);
    db.DeleteCategories();
    db.InsertCategory(0, QStringLiteral(" "), QString());
    db.InsertCategory(1, QStringLiteral("散歩"), QStringLiteral("http://blog.example/c1"));
    db.InsertCategoryEntries(1, {QStringLiteral("http://blog.example/2023/12/winter/")});
    form.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(form.LabelCommentCount->text(), QStringLiteral("3 件"));

    // As typed, whatever the width and case; every word must occur somewhere.
    QTest::keyClicks(form.EditCommentFilter, QStringLiteral("walk"));
    EXPECT_EQ(ShownColumn(form, TCommentGridModel::ColumnTitle), QStringList{QStringLiteral("春の Ｗａｌｋ")});
    EXPECT_EQ(form.LabelCommentCount->text(), QStringLiteral("1 / 3 件"));
    form.EditCommentFilter->setText(QStringLiteral("散歩"));
    EXPECT_EQ(ShownColumn(form, TCommentGridModel::ColumnTitle), QStringList{QStringLiteral("冬の朝")});
    form.EditCommentFilter->setText(QStringLiteral("2024 の日"));
    EXPECT_EQ(ShownColumn(form, TCommentGridModel::ColumnTitle), QStringList{QStringLiteral("雨の日")});

    // A comment edited on a filtered row goes to that entry, and is found by the filter.
    form.GridComment->setCurrentIndex(form.GridComment->model()->index(0, TCommentGridModel::ColumnTitle));
    WhenModal<TFormComment>([](TFormComment *dialog) {
        EXPECT_EQ(dialog->LabelTitle->text(), QStringLiteral("雨の日"));
        dialog->MemoComment->setPlainText(QStringLiteral("傘を忘れた"));
        dialog->BitBtn1->click();
    });
    form.ActionCommentEdit->trigger();
    EXPECT_EQ(db.LoadEntries().at(2).GetComment(), QStringLiteral("傘を忘れた"));
    form.EditCommentFilter->setText(QStringLiteral("傘"));
    EXPECT_EQ(form.LabelCommentCount->text(), QStringLiteral("1 / 3 件"));
    form.EditCommentFilter->clear();
    EXPECT_EQ(form.LabelCommentCount->text(), QStringLiteral("3 件"));

    // Sorted by date (by time, not text), then back to the project's order.
    form.GridComment->sortByColumn(TCommentGridModel::ColumnDate, Qt::AscendingOrder);
    EXPECT_EQ(ShownColumn(form, TCommentGridModel::ColumnTitle),
              (QStringList{QStringLiteral("冬の朝"), QStringLiteral("春の Ｗａｌｋ"), QStringLiteral("雨の日")}));
    form.GridComment->sortByColumn(TCommentGridModel::ColumnDate, Qt::DescendingOrder);
    EXPECT_EQ(ShownColumn(form, TCommentGridModel::ColumnTitle).first(), QStringLiteral("雨の日"));
    form.GridComment->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    EXPECT_EQ(ShownColumn(form, TCommentGridModel::ColumnTitle).first(), QStringLiteral("春の Ｗａｌｋ"));

    // The URL opens from its cell by a double click and from the button; a double
    // click elsewhere edits the comment.
    TOpenedUrls opened;
    form.GridComment->sortByColumn(TCommentGridModel::ColumnDate, Qt::AscendingOrder);
    const QModelIndex url = form.GridComment->model()->index(0, TCommentGridModel::ColumnUrl);
    form.GridComment->setCurrentIndex(url);
    Q_EMIT form.GridComment->doubleClicked(url);
    EXPECT_EQ(opened.Urls, QStringList{QStringLiteral("http://blog.example/2023/12/winter/")});
    form.GridComment->setCurrentIndex(form.GridComment->model()->index(2, 0));
    form.findChild<QToolButton *>(QStringLiteral("ButtonCommentOpenUrl"))->click();
    EXPECT_EQ(opened.Urls.last(), QStringLiteral("http://blog.example/2024/05/rain/"));
    bool edited = false;
    WhenModal<TFormComment>([&edited](TFormComment *dialog) {
        edited = true;
        dialog->BitBtn2->click();
    });
    Q_EMIT form.GridComment->doubleClicked(form.GridComment->model()->index(2, TCommentGridModel::ColumnTitle));
    EXPECT_TRUE(edited);
    EXPECT_EQ(opened.Urls.size(), 2);
}

TEST_F(MainWindow, KeysFocusRecentFilesAndTheProjectNamedOnTheCommandLine)
{
    TFormMain &form = Main();
    // The blog's URL is what a new project needs first.
    EXPECT_EQ(form.focusWidget(), form.EditEntryUrl);
    EXPECT_EQ(form.ActionFileClose->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // F1 opens the help of the page in front.
    for (const int page : {0}) {
        form.PageControl1->setCurrentIndex(page);
        bool shown = false;
        WhenModal<TFormBlogTypeHelp>([&shown](TFormBlogTypeHelp *window) {
            shown = true;
            window->BitBtn1->click();
        });
        form.ActionHelpContents->trigger();
        EXPECT_TRUE(shown) << page;
        FModalTimers.clear();
    }
    form.PageControl1->setCurrentIndex(2);
    bool templates = false;
    WhenModal<TFormHtmlTemplateHelp>([&templates](TFormHtmlTemplateHelp *window) {
        templates = true;
        window->BitBtn1->click();
    });
    form.ActionHelpContents->trigger();
    EXPECT_TRUE(templates);
    EXPECT_EQ(form.ActionHelpContents->shortcut(), QKeySequence(Qt::Key_F1));
    FModalTimers.clear();

    // Saved files become recent files, the latest first, and open from the menu.
    const QString first = TempPath(QStringLiteral("first.FDB"));
    const QString second = TempPath(QStringLiteral("second & more.FDB"));
    form.EditEntryUrl->setText(QStringLiteral("http://first.example/"));
    TFileDialog::SetNextFileName(first);
    form.ActionFileSaveAs->trigger();
    form.EditEntryUrl->setText(QStringLiteral("http://second.example/"));
    TFileDialog::SetNextFileName(second);
    form.ActionFileSaveAs->trigger();
    EXPECT_EQ(TFormMain::RecentFiles().mid(0, 2), (QStringList{second, first}));
    Q_EMIT form.MenuRecentFiles->aboutToShow();
    QAction *recent = form.findChild<QAction *>(QStringLiteral("ActionRecentFile2"));
    ASSERT_NE(recent, nullptr);
    EXPECT_EQ(recent->text(), QStringLiteral("&2 ") + QDir::toNativeSeparators(first));
    EXPECT_TRUE(form.findChild<QAction *>(QStringLiteral("ActionRecentFile1"))->text().contains(QStringLiteral("&& more")));
    recent->trigger();
    EXPECT_EQ(form.GetProject().GetFileName(), first);
    EXPECT_EQ(form.EditEntryUrl->text(), QStringLiteral("http://first.example/"));
    EXPECT_EQ(TFormMain::RecentFiles().mid(0, 2), (QStringList{first, second}));
    // Without a project file of its own, the open dialog starts where the user last was.
    form.ActionFileNew->trigger();
    EXPECT_EQ(TFileDialog::LastDirectory(), QFileInfo(first).absolutePath());

    // A recent file that has gone is said to be gone and leaves the list.
    ASSERT_TRUE(QFile::remove(second));
    Q_EMIT form.MenuRecentFiles->aboutToShow();
    form.findChild<QAction *>(QStringLiteral("ActionRecentFile2"))->trigger();
    const QStringList shown = TMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.first().contains(QStringLiteral("プロジェクトファイルが見つかりません"))) << shown.first().toStdString();
    EXPECT_EQ(TFormMain::RecentFiles().value(0), first);
    EXPECT_FALSE(TFormMain::RecentFiles().contains(second));

    // "varnoki FILE.FDB": the window starts with that project open.
    form.close();
    FForm.reset();
    FForm = std::make_unique<TFormMain>();
    FForm->SetStartFile(first);
    FForm->show();
    while (!FForm->IsInitialized())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    TFormMain &started = *FForm;
    EXPECT_EQ(started.GetProject().GetFileName(), first);
    EXPECT_EQ(started.EditEntryUrl->text(), QStringLiteral("http://first.example/"));
    EXPECT_FALSE(started.IsModified());
}

TEST_F(MainWindow, CtrlEnterConfirmsTheCommentDialog)
{
    TFormComment dialog(nullptr);
    dialog.SetEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("t"), QString());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.MemoComment->insertPlainText(QStringLiteral("一行"));
    QTest::keyClick(dialog.MemoComment, Qt::Key_Return);
    dialog.MemoComment->insertPlainText(QStringLiteral("二行"));
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.MemoComment, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetComment().replace(QStringLiteral("\r\n"), QStringLiteral("\n")), QStringLiteral("一行\n二行"));
}

TEST_F(MainWindow, TemplateValuesFollowTheChosenTemplateAndTheProject)
{
    TFormMain &form = Main();
    const THtmlTemplateList templates = InstalledTemplates();
    const QStringList names0 = templates.at(0).GetConfigNames();
    const QStringList names1 = templates.at(1).GetConfigNames();
    ASSERT_GE(names1.size(), 2);

    form.EditHtmlConf->item(0, 1)->setText(QStringLiteral("入力した値"));
    form.ComboBoxHtmlTemplateChange(); // the same template again keeps what was typed
    EXPECT_EQ(form.EditHtmlConf->GetValue(0), QStringLiteral("入力した値"));

    form.ComboBoxHtmlTemplate->setCurrentIndex(1);
    form.ComboBoxHtmlTemplateChange();
    EXPECT_EQ(form.EditHtmlConf->GetStrings(), EmptyValues(templates.at(1)));

    form.EditHtmlConf->item(1, 1)->setText(QStringLiteral("二つ目の値"));
    TProject saved;
    form.GatherProject(saved);
    EXPECT_EQ(saved.GetHtmlTemplateName(), templates.at(1).GetName());
    EXPECT_EQ(saved.GetHtmlValues().size(), names1.size()) << "empty values are saved too";
    EXPECT_EQ(saved.GetHtmlValues().value(names1.at(1)), QStringLiteral("二つ目の値"));

    // Shown again: stored values land in their rows (letter case ignored), empty ones
    // are skipped, and a name the template does not have becomes an extra row.
    THtmlValues values = saved.GetHtmlValues();
    values.insert(QStringLiteral("extra"), QStringLiteral("残す"));
    values.insert(names1.at(0), QString());
    saved.SetHtmlValues(values);
    form.ComboBoxHtmlTemplate->setCurrentIndex(0);
    form.ShowProject(saved);
    EXPECT_EQ(form.ComboBoxHtmlTemplate->currentIndex(), 1);
    QStringList expected = EmptyValues(templates.at(1));
    expected[1] += QStringLiteral("二つ目の値");
    expected.append(QStringLiteral("extra=残す"));
    EXPECT_EQ(form.EditHtmlConf->GetStrings(), expected);

    // A template name no longer installed keeps the current template.
    saved.SetHtmlTemplateName(QStringLiteral("消えたテンプレート"));
    form.ComboBoxHtmlTemplate->setCurrentIndex(0);
    form.ShowProject(saved);
    EXPECT_EQ(form.ComboBoxHtmlTemplate->currentIndex(), 0);
    EXPECT_EQ(form.EditHtmlConf->GetStrings().last(), QStringLiteral("extra=残す"));
    EXPECT_EQ(form.EditHtmlConf->GetStrings().first(), names0.first() + QLatin1Char('='));
}

TEST_F(MainWindow, MakeRunsTheTemplateProgramOnTheProject)
{
    TFormMain &form = Main();
    form.GetDb()->InsertEntry(QStringLiteral("http://blog.example/1"), QStringLiteral("目次に載る記事"),
                              EncodeDateTime(2009, 3, 5), false);
    const THtmlTemplateList templates = InstalledTemplates();
    int list = -1;
    for (int i = 0; i < templates.size(); ++i) {
        if (templates.at(i).GetExePath().endsWith(QStringLiteral("varnoki-toc-list")))
            list = i;
    }
    ASSERT_GE(list, 0);
    form.ComboBoxHtmlTemplate->setCurrentIndex(list);
    form.ComboBoxHtmlTemplateChange();

    const QString outputDir = TempPath(QStringLiteral("出力 先"));
    QDir().mkpath(outputDir);
    TFileWaiter waiter(outputDir);
    TFileDialog::SetNextFileName(outputDir + QStringLiteral("/目次"));
    form.ActionHtmlMake->trigger();
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty()); // the window is free meanwhile
    const QString html = outputDir + QStringLiteral("/目次.html");
    ASSERT_TRUE(waiter.Wait(html));
    QFile file(html);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral("目次に載る記事")));
    // The end is told, with where the page is.
    const QStringList done = ShownOnceTheProgramEnds();
    ASSERT_EQ(done.size(), 1);
    EXPECT_TRUE(done[0].startsWith(QStringLiteral("HTMLファイルを作成しました。\n") + html)) << done[0].toStdString();

    // A program that fails is reported with what it said.
    TFileDialog::SetNextFileName(TempPath(QStringLiteral("どこにもない/目次")));
    form.ActionHtmlMake->trigger();
    const QStringList failed = ShownOnceTheProgramEnds();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].startsWith(QStringLiteral("テンプレートのプログラムが終了コード 1 で終わりました: "))) << failed[0].toStdString();
    EXPECT_TRUE(failed[0].contains(QStringLiteral("HTMLファイルを書き込めません"))) << failed[0].toStdString();
}

TEST_F(MainWindow, WindowSizeColumnWidthsAndHelpSplitterAreRememberedBetweenRuns)
{
    {
        TFormMain &form = Main();
        form.resize(800, 640);
        form.GridComment->setColumnWidth(0, 123);
        form.GridComment->setColumnWidth(2, 210);
        WhenModal<TFormBlogTypeHelp>([](TFormBlogTypeHelp *window) {
            window->Splitter1->setSizes({200, 150});
            window->BitBtn1->click();
        });
        form.ActionBlogTypeHelp->trigger();
        ASSERT_TRUE(form.close());
        FForm.reset();
    }
    TFormMain &form = Main();
    EXPECT_EQ(form.size(), QSize(800, 640));
    EXPECT_EQ(form.GridComment->columnWidth(0), 123);
    EXPECT_EQ(form.GridComment->columnWidth(2), 210);
    QList<int> sizes;
    WhenModal<TFormBlogTypeHelp>([&sizes](TFormBlogTypeHelp *window) {
        sizes = window->Splitter1->sizes();
        window->BitBtn1->click();
    });
    form.ActionBlogTypeHelp->trigger();
    EXPECT_EQ(sizes.value(0), 200);
    // Kept apart from the settings file, which holds settings only.
    EXPECT_TRUE(QFileInfo::exists(TWindowState::GetFileName()));
    EXPECT_NE(TWindowState::GetFileName(), TAppConfig::GetIniFileName());
}

TEST_F(MainWindow, OpeningAFileWithoutSettingsDoesNotKeepThePreviousProjects)
{
    TFormMain &form = Main();
    form.ComboBoxBlogType->setCurrentIndex(1);
    TFileDialog::SetNextFileName(TempPath(QStringLiteral("first.FDB")));
    form.ActionFileSaveAs->trigger();
    ASSERT_EQ(form.GetProject().GetBlogTypeName(), form.ComboBoxBlogType->itemText(1));

    // The empty project database has no settings at all.
    const QString bare = TempPath(QStringLiteral("bare.FDB"));
    ASSERT_TRUE(QFile::copy(GetDbDir() + QStringLiteral("VARNOKI.FDB"), bare));
    TFileDialog::SetNextFileName(bare);
    form.ActionFileOpen->trigger();
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty());
    EXPECT_EQ(form.GetProject().GetFileName(), bare);
    EXPECT_TRUE(form.GetProject().GetBlogTypeName().isEmpty());
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
}

TEST_F(MainWindow, OffersToRestoreWorkThatACrashLeftUnsaved)
{
    const QString file = TempPath(QStringLiteral("crashed.FDB"));
    auto leaveUnsavedWork = [&file](const QString &url) {
        TLdbDb db;
        db.CreateFromEmpty(TestPaths::EmptyProjectDb());
        TProject project;
        project.SetEntryUrl(url);
        project.Save(file, db);
        db.InsertEntry(url + QStringLiteral("entry/1"), QStringLiteral("保存前の記事"), 0, false);
        db.KeepForRecovery();
        MarkOwnerEnded(db.GetWorkFileName());
        return db.GetWorkFileName();
    };
    const QString work = leaveUnsavedWork(QStringLiteral("http://127.0.0.1:9/restored/"));
    TMessageBox::TakeShownTexts();
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    TFormMain &form = Main();
    const QStringList shown = TMessageBox::TakeShownTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("前回、保存されずに終了したプロジェクトがあります。復元しますか？")));
    EXPECT_TRUE(shown[0].contains(file)) << shown[0].toStdString();
    EXPECT_EQ(form.EditEntryUrl->text(), QStringLiteral("http://127.0.0.1:9/restored/"));
    EXPECT_TRUE(form.IsModified());
    EXPECT_EQ(form.windowTitle(), QLatin1Char('*') + Title + QStringLiteral(" - crashed.FDB"));
    ASSERT_EQ(form.GetDb()->LoadEntries().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(work));

    // Saving writes the restored work into its project file.
    form.ActionFileSave->trigger();
    EXPECT_FALSE(form.IsModified());
    TLdbDb reader;
    reader.Open(file, false);
    EXPECT_EQ(reader.LoadEntries().size(), 1);
}

TEST_F(MainWindow, UnsavedWorkCanBeDiscardedOrLeftForLater)
{
    const QString file = TempPath(QStringLiteral("later.FDB"));
    QString work;
    {
        TLdbDb db;
        db.CreateFromEmpty(TestPaths::EmptyProjectDb());
        db.CopyTo(file);
        db.InsertEntry(QStringLiteral("http://127.0.0.1:9/1"), QStringLiteral("t"), 0, false);
        work = db.GetWorkFileName();
        db.KeepForRecovery();
    }
    MarkOwnerEnded(work);
    {
        TFormMain later; // the question dismissed: asked again next time
        later.show();
        while (!later.IsInitialized())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        EXPECT_TRUE(QFileInfo::exists(work));
        EXPECT_TRUE(later.GetDb()->LoadEntries().isEmpty());
        later.close();
    }
    TMessageBox::SetNextAnswer(QMessageBox::No);
    Main();
    EXPECT_FALSE(QFileInfo::exists(work));
    EXPECT_TRUE(FindUnsavedWork().isEmpty());
}

TEST_F(MainWindow, ASignalKeepsUnsavedWorkWithoutAskingAndTheNextStartRestoresIt)
{
    QString work;
    {
        TFormMain &form = Main();
        form.EditEntryUrl->setText(QStringLiteral("http://127.0.0.1:9/typed/"));
        form.GetDb()->InsertEntry(QStringLiteral("http://127.0.0.1:9/typed/1"), QStringLiteral("記事"), 0, false);
        ASSERT_TRUE(form.IsModified());
        work = form.GetDb()->GetWorkFileName();
        TMessageBox::TakeShownTexts();
        form.KeepWorkAndQuit(); // what SIGTERM, SIGINT and SIGHUP do
        EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty()); // nobody was asked
        FForm.reset();
    }
    ASSERT_TRUE(QFileInfo::exists(work));
    MarkOwnerEnded(work);
    TMessageBox::SetNextAnswer(QMessageBox::Yes);
    TFormMain &next = Main();
    EXPECT_EQ(next.EditEntryUrl->text(), QStringLiteral("http://127.0.0.1:9/typed/"));
    EXPECT_EQ(next.GetDb()->LoadEntries().size(), 1);
    EXPECT_TRUE(next.IsModified());
}

#include "test_formmain.moc"
