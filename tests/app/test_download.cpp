#include "Apptestsupport.h"
#include "Httptestserver.h"

#include "app/Tcommentgrid.h"
#include "app/Tfiledialog.h"
#include "app/UnitFormDownloadCategory.h"
#include "app/UnitFormDownloadEntry.h"
#include "platform/Tappconfig.h"
#include "store/Tldbdb.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QProgressBar>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace {
// A blog of three entries, newest first: e3 -> e2 -> e1.
class Download : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Server.SetRoute("/", THttpTestResponse::Html(
                                 "<a class=\"entry-link\" href=\"" + Url("/e3.html") + "\">new</a>"));
        AddEntry("e3", "2009/03/05 10:00:00", "三番目", "/e2.html");
        AddEntry("e2", "2009/03/01 09:00:00", "二番目", "/e1.html");
        AddEntry("e1", "2009/02/20 08:00:00", "一番目", nullptr);
        Server.SetRoute("/cat1.html", THttpTestResponse::Html(
                                          "<li class=\"entry\"><a href=\"" + Url("/e3.html") + "\">x</a></li>"
                                          "<li class=\"entry\"><a href=\"" + Url("/e1.html") + "\">x</a></li>"));
    }

    void TearDown() override
    {
        TAppConfig::GetInstance().SetDefaults();
        AppTest::TearDown();
    }

    QByteArray Url(const char *path) const { return Server.Url(QLatin1String(path)).toUtf8(); }

    void AddEntry(const char *name, const char *date, const char *title, const char *prev)
    {
        QByteArray page = "<div class=\"entry-date\">" + QByteArray(date) + "</div><h2 class=\"entry-title\">"
                          + QByteArray(title) + "</h2>";
        if (prev)
            page += "<a class=\"prev\" href=\"" + Url(prev) + "\">prev</a>";
        Server.SetRoute("/" + QByteArray(name) + ".html", THttpTestResponse::Html(page));
    }

    // Runs a download window opened by trigger to its end and returns its log; the
    // window is closed with its Close button once the job is over.
    template <class T>
    QStringList RunToEnd(QAction *trigger)
    {
        QStringList log;
        WhenModal<T>([&log](T *window) {
            auto finish = [window, &log] {
                log = window->Memo1->toPlainText().split(QLatin1Char('\n'));
                EXPECT_FALSE(window->BtnCancel->isEnabled());
                EXPECT_TRUE(window->BtnClose->isEnabled());
                window->BtnClose->click();
            };
            if (window->IsFinished())
                finish();
            else
                QObject::connect(window, &TFormDownload::DownloadFinished, window, finish);
        });
        trigger->trigger();
        return log;
    }

    THttpTestServer Server;
};
} // namespace

TEST_F(Download, EntriesDownloadedFromTheUrlPageShowOnTheCommentPage)
{
    TFormMain &form = Main();
    form.EditEntryUrl->setText(Server.Url());
    const QString e3 = Server.Url(QStringLiteral("/e3.html"));
    const QString e2 = Server.Url(QStringLiteral("/e2.html"));
    const QString e1 = Server.Url(QStringLiteral("/e1.html"));

    const QStringList log = RunToEnd<TFormDownloadEntry>(form.ActionDownloadEntry);
    EXPECT_EQ(log, (QStringList{QStringLiteral("OK: ") + e3 + QStringLiteral(" 最新エントリーのURLを取得しました。"),
                                QStringLiteral("OK: ") + e3 + QStringLiteral(" 三番目"),
                                QStringLiteral("OK: ") + e2 + QStringLiteral(" 二番目"),
                                QStringLiteral("OK: ") + e1 + QStringLiteral(" 一番目"),
                                QStringLiteral("終了しました。")}));
    EXPECT_TRUE(form.IsModified()) << "the downloaded entries are not saved yet";

    form.PageControl1->setCurrentIndex(1);
    const TCommentGridModel *model = form.GetCommentModel();
    ASSERT_EQ(model->rowCount(), 3);
    EXPECT_EQ(model->CellText(0, 0), e3);
    EXPECT_EQ(model->CellText(0, 1), QStringLiteral("2009/03/05"));
    EXPECT_EQ(model->CellText(0, 2), QStringLiteral("三番目"));
    EXPECT_EQ(model->CellText(2, 2), QStringLiteral("一番目"));

    // The category download links the entries each category page lists.
    form.PageControl1->setCurrentIndex(0);
    form.ListViewCategory->addTopLevelItem(new QTreeWidgetItem(
        QStringList{QStringLiteral("日記"), Server.Url(QStringLiteral("/cat1.html"))}));
    const QStringList categoryLog = RunToEnd<TFormDownloadCategory>(form.ActionDownloadCategory);
    EXPECT_EQ(categoryLog.first(), QStringLiteral("OK: ") + Server.Url(QStringLiteral("/cat1.html"))
                                       + QStringLiteral(" 日記"));
    EXPECT_EQ(categoryLog.last(), QStringLiteral("終了しました。"));
    form.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(model->CellText(0, 3), QStringLiteral("日記"));
    EXPECT_EQ(model->CellText(1, 3), QString());
    EXPECT_EQ(model->CellText(2, 3), QStringLiteral("日記"));
}

// The blog type is found from the top page by the button and, in a new project, on
// leaving the URL box; the blog's categories are added to the user's.
TEST_F(Download, TheUrlPageFindsTheBlogTypeAndTheCategoriesFromTheBlog)
{
    TFormMain &form = Main();
    const QString expected = QStringLiteral("テスト用ブログ: テスト用のページです");
    EXPECT_EQ(form.ActionDetectBlogType->text(), QStringLiteral("自動判別(&D)"));

    form.ComboBoxBlogType->setCurrentIndex(1);
    form.EditEntryUrl->setText(Server.Url());
    form.ActionDetectBlogType->trigger();
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
    EXPECT_EQ(form.statusBar()->currentMessage(), expected);

    // Leaving the box asks nothing, and only once for the same URL.
    form.ComboBoxBlogType->setCurrentIndex(1);
    form.statusBar()->clearMessage();
    form.EditEntryUrl->setText(Server.Url(QStringLiteral("/")));
    Q_EMIT form.EditEntryUrl->editingFinished();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 0);
    EXPECT_EQ(form.statusBar()->currentMessage(), expected);
    form.ComboBoxBlogType->setCurrentIndex(1);
    Q_EMIT form.EditEntryUrl->editingFinished();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.ComboBoxBlogType->currentIndex(), 1);
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList());

    Server.SetRoute("/", THttpTestResponse::Html(
                             "<a class=\"entry-link\" href=\"" + Url("/e3.html") + "\">new</a>"
                             "<a class=\"category\" href=\"" + Url("/cat1.html") + "\">Diary</a>"
                             "<a class=\"category\" href=\"" + Url("/cat2.html") + "\">旅行</a>"));
    form.ListViewCategory->addTopLevelItem(new QTreeWidgetItem(
        QStringList{QStringLiteral("日記"), Server.Url(QStringLiteral("/cat1.html"))}));
    form.ActionReadBlogCategories->trigger();
    QStringList rows;
    for (int i = 0; i < form.ListViewCategory->topLevelItemCount(); ++i)
        rows << form.ListViewCategory->topLevelItem(i)->text(0) + QLatin1Char(' ') + form.ListViewCategory->topLevelItem(i)->text(1);
    EXPECT_EQ(rows, (QStringList{QStringLiteral("日記 ") + Server.Url(QStringLiteral("/cat1.html")),
                                 QStringLiteral("旅行 ") + Server.Url(QStringLiteral("/cat2.html"))}));
    EXPECT_EQ(form.statusBar()->currentMessage(), QStringLiteral("ブログのカテゴリー 2 件のうち 1 件を追加しました。"));
}

// A full download that finds far fewer entries than the project holds asks first.
TEST_F(Download, AShrinkingEntryListIsReplacedOnlyWhenTheUserSaysSo)
{
    TFormMain &form = Main();
    form.EditEntryUrl->setText(Server.Url());
    TLdbDb &db = *form.GetDb();
    for (int n = 12; n >= 1; --n)
        db.InsertEntry(Server.Url(QStringLiteral("/old%1.html").arg(n)), QStringLiteral("old"), 0, false);
    const QString question = QStringLiteral("取得したエントリーは 3 件で、これまでの 12 件より少なくなります。一覧を置き換えますか？");

    RunToEnd<TFormDownloadEntry>(form.ActionDownloadEntry); // unanswered: kept
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList{question});
    EXPECT_EQ(db.GetEntryCount(false), 12);
    TMessageBox::SetNextAnswer(QMessageBox::Apply);
    RunToEnd<TFormDownloadEntry>(form.ActionDownloadEntry);
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList{question});
    EXPECT_EQ(db.GetEntryCount(false), 3);
}

// The bars say what they count; the entry bar moves while the end is unknown; the log
// can be copied or saved before the window closes.
TEST_F(Download, TheWindowsSayWhatTheyCountAndKeepTheLog)
{
    TFormMain &form = Main();
    form.EditEntryUrl->setText(Server.Url());
    const QString saved = TempPath(QStringLiteral("log.txt"));
    bool busyAtStart = false;
    QString countText;
    QString copied;
    QByteArray file;
    QString log;
    WhenModal<TFormDownloadEntry>([&](TFormDownloadEntry *window) {
        busyAtStart = window->ProgressBarEntry->minimum() == 0 && window->ProgressBarEntry->maximum() == 0;
        QObject::connect(window, &TFormDownload::DownloadFinished, window, [&, window] {
            countText = window->LabelEntryCount->text();
            EXPECT_EQ(window->ProgressBarEntry->maximum(), 1) << "the bar no longer moves";
            log = window->Memo1->toPlainText();
            window->BtnCopyLog->click();
            copied = QApplication::clipboard()->text();
            TFileDialog::SetNextFileName(saved);
            window->BtnSaveLog->click();
            QFile written(saved);
            if (written.open(QIODevice::ReadOnly))
                file = written.readAll();
            window->BtnClose->click();
        });
    });
    form.ActionDownloadEntry->trigger();
    EXPECT_TRUE(busyAtStart);
    EXPECT_EQ(countText, QStringLiteral("取得したエントリー 3 件"));
    EXPECT_TRUE(log.endsWith(QStringLiteral("終了しました。")));
    EXPECT_EQ(copied, log);
    EXPECT_EQ(QString::fromUtf8(file), log + QLatin1Char('\n'));

    form.ListViewCategory->addTopLevelItem(new QTreeWidgetItem(
        QStringList{QStringLiteral("日記"), Server.Url(QStringLiteral("/cat1.html"))}));
    QStringList bars;
    WhenModal<TFormDownloadCategory>([&bars](TFormDownloadCategory *window) {
        auto finish = [&bars, window] {
            bars = QStringList{window->ProgressBarCategory->text(), window->ProgressBarEntry->text()};
            window->BtnClose->click();
        };
        if (window->IsFinished())
            finish();
        else
            QObject::connect(window, &TFormDownload::DownloadFinished, window, finish);
    });
    form.ActionDownloadCategory->trigger();
    EXPECT_EQ(bars, (QStringList{QStringLiteral("カテゴリー 1 / 1"), QStringLiteral("このカテゴリーのエントリー 2 / 2")}));
}

TEST_F(Download, CancelStopsTheWaitAtOnceAndClosesTheWindow)
{
    TFormMain &form = Main();
    form.EditEntryUrl->setText(Server.Url());
    TAppConfig::GetInstance().SetSleepTime(60000);

    QStringList log;
    WhenModal<TFormDownloadEntry>([&log](TFormDownloadEntry *window) {
        // Cancel as soon as the first page is logged: the job is then in its wait.
        QObject::connect(window->Memo1, &QPlainTextEdit::textChanged, window, [window] {
            if (window->BtnCancel->isEnabled())
                window->BtnCancel->click();
        });
        QObject::connect(window, &TFormDownload::DownloadFinished, window,
                         [window, &log] { log = window->Memo1->toPlainText().split(QLatin1Char('\n')); });
    });
    QElapsedTimer elapsed;
    elapsed.start();
    form.ActionDownloadEntry->trigger(); // returns when the window has closed itself
    EXPECT_LT(elapsed.elapsed(), 10000);
    ASSERT_FALSE(log.isEmpty());
    EXPECT_TRUE(log.first().endsWith(QStringLiteral("最新エントリーのURLを取得しました。")));
    EXPECT_EQ(log.last(), QStringLiteral("終了しました。"));
    EXPECT_LE(log.size(), 3);
}

TEST_F(Download, AnEmptyUrlOrNoBlogTypeIsReportedBeforeAnythingIsTouched)
{
    TFormMain &form = Main();
    form.GetDb()->InsertEntry(QStringLiteral("http://blog.example/kept"), QStringLiteral("残る"), 0, false);
    bool opened = false;
    WhenModal<TFormDownloadEntry>([&opened](TFormDownloadEntry *window) {
        opened = true;
        window->BtnCancel->click();
    });
    form.ActionDownloadEntry->trigger();
    EXPECT_FALSE(opened);
    EXPECT_EQ(TMessageBox::TakeShownTexts(),
              QStringList{QStringLiteral("ブログのトップページのURLが入力されていません。")});
    EXPECT_EQ(form.GetDb()->LoadEntries().size(), 1);

    form.EditEntryUrl->setText(Server.Url());
    form.ComboBoxBlogType->setCurrentIndex(-1);
    form.ActionDownloadEntry->trigger();
    form.ActionDownloadCategory->trigger();
    EXPECT_FALSE(opened);
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList(2, QStringLiteral("ブログの種類が選択されていません。")));
    EXPECT_EQ(form.GetDb()->LoadEntries().size(), 1);
}

TEST_F(Download, CancelAbortsAFetchThatHangs)
{
    Server.SetRoute("/", THttpTestResponse::Stall());
    TFormMain &form = Main();
    form.EditEntryUrl->setText(Server.Url());

    auto poll = std::make_unique<QTimer>();
    QTimer *raw = poll.get();
    WhenModal<TFormDownloadEntry>([raw](TFormDownloadEntry *window) {
        // Pressed once the job is inside its first fetch, which never gets an answer.
        raw->setInterval(0);
        QObject::connect(raw, &QTimer::timeout, window, [raw, window] {
            if (window->IsRunning() && window->LabelUrl->text() != QStringLiteral("URL")) {
                raw->stop();
                window->BtnCancel->click();
            }
        });
        raw->start();
    });
    QElapsedTimer elapsed;
    elapsed.start();
    form.ActionDownloadEntry->trigger();
    EXPECT_LT(elapsed.elapsed(), 10000);
    Server.ReleaseStalled();
}
