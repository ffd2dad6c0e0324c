// Times the comment page opening on a project of 10,000 entries with two category
// links and a comment each, as the main window opens it: the entries and categories
// loaded, the grid's texts folded for the filter, the first screenful painted; then
// filtering as the user types a word, one letter at a time.
#include "app/Tcommentgrid.h"
#include "platform/Tappdirs.h"
#include "store/Tcategory.h"
#include "store/Tldbdb.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTextStream>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetAppDirOverride(QStringLiteral(VARNOKI_BENCH_BIN_DIR));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTextStream out(stdout);
    TLdbDb db;
    db.CreateFromEmpty(GetDbDir() + QStringLiteral("VARNOKI.FDB"));
    db.DeleteCategories();
    db.InsertCategory(0, QStringLiteral(" "), QString());
    for (int c = 1; c <= 8; ++c)
        db.InsertCategory(c, QStringLiteral("カテゴリー %1").arg(c), QStringLiteral("https://blog.example.jp/c/%1").arg(c));
    for (int i = 0; i < count; ++i) {
        const QString url = QStringLiteral("https://blog.example.jp/entry/2024/01/%1/post-%2").arg(i % 28 + 1).arg(i);
        db.InsertEntry(url, QStringLiteral("記事のタイトル %1 Ｗａｌｋ").arg(i), 45000 + i * 0.1, false);
        db.InsertCategoryEntries(1 + i % 5, {url});
        db.InsertCategoryEntries(6 + i % 3, {url});
    }
    for (TEntry entry : db.LoadEntries()) {
        entry.SetComment(QStringLiteral("コメント %1").arg(entry.GetId()));
        db.SaveComment(entry);
    }

    TCommentGridModel model;
    TCommentFilterModel filter(&model);
    QTableView view;
    view.setModel(&filter);
    view.resize(900, 600);
    view.show();
    for (int run = 1; run <= 3; ++run) {
        model.Clear();
        QElapsedTimer timer;
        timer.start();
        const TEntryList entries = db.LoadEntries();
        const qint64 loaded = timer.nsecsElapsed();
        model.SetEntries(entries, db.LoadCategories());
        filter.invalidate();
        view.grab();
        out << "open " << run << ": " << QString::number(timer.nsecsElapsed() / 1e6, 'f', 0) << " ms (LoadEntries "
            << QString::number(loaded / 1e6, 'f', 0) << " ms), " << filter.rowCount() << " rows" << Qt::endl;
    }
    QString typed;
    for (const QChar c : QStringLiteral("walk 12")) {
        typed += c;
        QElapsedTimer timer;
        timer.start();
        filter.SetFilterText(typed);
        view.grab();
        out << "filter \"" << typed << "\": " << QString::number(timer.nsecsElapsed() / 1e6, 'f', 1) << " ms, "
            << filter.rowCount() << " rows" << Qt::endl;
    }
    return 0;
}
