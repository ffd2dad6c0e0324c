// Renders every window and dialog of the program to PNG files, filled with a small
// made-up project. Run by scripts/screenshots.sh on the offscreen platform:
//   varnoki-screenshots <program tree> <output folder>
#include "app/Tcommentgrid.h"
#include "app/Tmessagebox.h"
#include "app/UnitFormAboutBox.h"
#include "app/UnitFormBlogTypeHelp.h"
#include "app/UnitFormCategory.h"
#include "app/UnitFormComment.h"
#include "app/UnitFormGuide.h"
#include "app/UnitFormConfigGeneral.h"
#include "app/UnitFormDownloadCategory.h"
#include "app/UnitFormDownloadEntry.h"
#include "app/UnitFormHtmlTemplateHelp.h"
#include "app/UnitFormMain.h"
#include "app/UnitFormMakingHtmlStatus.h"
#include "blogtype/Tblogconfig.h"
#include "output/Ttemplatemanager.h"
#include "platform/Tappconfig.h"
#include "platform/Tappdirs.h"
#include "platform/Tdatetime.h"
#include "store/Tldbdb.h"

#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

namespace {
QString OutputDir;

void Save(QWidget *widget, const QString &name)
{
    if (!widget->isVisible()) {
        widget->ensurePolished();
        if (widget->layout())
            widget->layout()->activate();
    }
    const QString path = OutputDir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path))
        QTextStream(stderr) << "cannot write " << path << Qt::endl;
    else
        QTextStream(stdout) << path << Qt::endl;
}

// Shows a dialog without its own event loop, renders it and closes it.
void SaveShown(QWidget *widget, const QString &name)
{
    widget->show();
    QCoreApplication::processEvents();
    Save(widget, name);
    widget->close();
}

void FillDemoProject(TFormMain &form)
{
    TProject project;
    project.SetEntryUrl(QStringLiteral("https://blog.example.jp/"));
    project.AddCategory(QStringLiteral("日記"), QStringLiteral("https://blog.example.jp/category/diary"));
    project.AddCategory(QStringLiteral("旅行 記録"), QStringLiteral("https://blog.example.jp/category/travel"));
    project.AddCategory(QStringLiteral("読書"), QStringLiteral("https://blog.example.jp/category/books"));
    form.ShowProject(project);

    TLdbDb &db = *form.GetDb();
    const struct
    {
        const char16_t *url;
        const char16_t *title;
        int day;
    } entries[] = {
        {u"https://blog.example.jp/entry/2009/03/05", u"春の散歩道", 5},
        {u"https://blog.example.jp/entry/2009/03/02", u"京都へ行ってきました", 2},
        {u"https://blog.example.jp/entry/2009/02/27", u"今月読んだ本", 27},
        {u"https://blog.example.jp/entry/2009/02/20", u"雪の朝", 20},
    };
    for (const auto &entry : entries) {
        db.InsertEntry(QString::fromUtf16(entry.url), QString::fromUtf16(entry.title),
                       EncodeDateTime(2009, entry.day > 10 ? 2 : 3, entry.day, 9, 30), false);
    }
    db.DeleteCategories();
    db.InsertCategory(0, QStringLiteral(" "), QString());
    db.InsertCategory(1, QStringLiteral("日記"), QStringLiteral("https://blog.example.jp/category/diary"));
    db.InsertCategory(2, QStringLiteral("旅行 記録"), QStringLiteral("https://blog.example.jp/category/travel"));
    db.InsertCategory(3, QStringLiteral("読書"), QStringLiteral("https://blog.example.jp/category/books"));
    db.InsertCategoryEntries(1, {QString::fromUtf16(entries[0].url), QString::fromUtf16(entries[1].url),
                                 QString::fromUtf16(entries[3].url)});
    db.InsertCategoryEntries(2, {QString::fromUtf16(entries[1].url)});
    db.InsertCategoryEntries(3, {QString::fromUtf16(entries[2].url)});
    for (TEntry entry : db.LoadEntries()) {
        if (entry.GetUrl() == QString::fromUtf16(entries[1].url)) {
            entry.SetComment(QStringLiteral("紅葉には早かったけれど、\n人が少なくて歩きやすい季節でした。"));
            db.SaveComment(entry);
        }
    }
}
} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: varnoki-screenshots <program tree> <output folder>" << Qt::endl;
        return 2;
    }
    SetAppDirOverride(QString::fromLocal8Bit(argv[1]));
    OutputDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(OutputDir);
    TMessageBox::SetTestMode(true);

    int result = 0;
    const bool ok = RunGuarded(nullptr, [&result] {
        TFormMain form;
        form.show();
        while (!form.IsInitialized())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        FillDemoProject(form);
        form.ListViewCategory->setCurrentItem(form.ListViewCategory->topLevelItem(1));
        Save(&form, QStringLiteral("main-1-url"));
        form.PageControl1->setCurrentIndex(1);
        form.GridComment->selectRow(1);
        Save(&form, QStringLiteral("main-2-comment"));
        form.EditCommentFilter->setText(QStringLiteral("日記"));
        form.GridComment->sortByColumn(1, Qt::DescendingOrder);
        Save(&form, QStringLiteral("main-2-comment-filtered"));
        form.EditCommentFilter->clear();
        form.PageControl1->setCurrentIndex(2);
        Save(&form, QStringLiteral("main-3-html"));

        // The program's own help pages: getting started (shown at the first start) and
        // the comment page's.
        const auto saveGuide = [&form](const QString &name) {
            QCoreApplication::processEvents();
            if (TFormGuide *guide = form.findChild<TFormGuide *>())
                Save(guide, name);
            for (TFormGuide *guide : form.findChildren<TFormGuide *>())
                guide->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        saveGuide(QStringLiteral("help-start"));
        form.PageControl1->setCurrentIndex(1);
        form.ActionHelpContents->trigger();
        saveGuide(QStringLiteral("help-comment"));
        form.PageControl1->setCurrentIndex(0);

        const QList<QMenu *> menus = form.menuBar()->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly);
        int number = 0;
        for (QMenu *menu : menus) {
            if (menu->title().isEmpty())
                continue;
            menu->adjustSize();
            Save(menu, QStringLiteral("menu-%1").arg(++number));
        }

        TFormCategory category(&form);
        category.EditName->setText(QStringLiteral("日記"));
        category.EditUrl->setText(QStringLiteral("https://blog.example.jp/category/diary"));
        SaveShown(&category, QStringLiteral("dialog-category"));

        TFormComment comment(&form);
        comment.SetEntry(QStringLiteral("https://blog.example.jp/entry/2009/03/02"),
                         QStringLiteral("京都へ行ってきました"),
                         QStringLiteral("紅葉には早かったけれど、\n人が少なくて歩きやすい季節でした。"));
        SaveShown(&comment, QStringLiteral("dialog-comment"));

        TFormConfigGeneral settings(&form, TAppConfig::GetInstance());
        SaveShown(&settings, QStringLiteral("dialog-settings"));

        TFormAboutBox about(&form);
        SaveShown(&about, QStringLiteral("dialog-version"));

        TBlogConfigManager blogTypes;
        blogTypes.Load();
        TFormBlogTypeHelp blogHelp(&form);
        blogHelp.SetBlogConfigs(blogTypes.GetBlogConfigs());
        SaveShown(&blogHelp, QStringLiteral("help-blogtype"));

        TTemplateManager templates;
        templates.Load();
        TFormHtmlTemplateHelp templateHelp(&form);
        templateHelp.SetTemplates(templates.GetTemplates());
        SaveShown(&templateHelp, QStringLiteral("help-template"));

        // The job windows are rendered without being shown: showing starts their job.
        TFormDownloadEntry downloadEntry(&form);
        downloadEntry.resize(538, 293);
        downloadEntry.ShowUrl(QStringLiteral("https://blog.example.jp/entry/2009/02/27"));
        downloadEntry.AddLog(QStringLiteral("OK: https://blog.example.jp/entry/2009/03/05 最新エントリーのURLを取得しました。"));
        downloadEntry.AddLog(QStringLiteral("OK: https://blog.example.jp/entry/2009/03/05 春の散歩道"));
        downloadEntry.AddLog(QStringLiteral("OK: https://blog.example.jp/entry/2009/03/02 京都へ行ってきました"));
        downloadEntry.SetEntryProgress(2, 0);
        Save(&downloadEntry, QStringLiteral("job-download-entry"));

        TFormDownloadCategory downloadCategory(&form);
        downloadCategory.resize(538, 293);
        downloadCategory.ShowUrl(QStringLiteral("https://blog.example.jp/category/travel"));
        downloadCategory.AddLog(QStringLiteral("OK: https://blog.example.jp/category/diary 日記"));
        downloadCategory.SetCategoryProgress(2, 3);
        downloadCategory.SetEntryProgress(0, 12);
        Save(&downloadCategory, QStringLiteral("job-download-category"));

        TFormMakingHtmlStatus status(&form);
        Save(&status, QStringLiteral("job-making-html"));

        form.close();
    });
    if (!ok)
        result = 1;
    return result;
}
