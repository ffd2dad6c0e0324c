// Times the project store the way the downloads use it:
// adding 10,000 entries (ExistsEntry then InsertEntry), loading them with two
// category links and a comment each, and a latest-only merge of 100 new entries.
#include "platform/Tappdirs.h"
#include "store/Tldbdb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

namespace {
QString Url(int i)
{
    return QStringLiteral("https://blog.example.jp/entry/2024/01/%1/post-%2").arg(i % 28 + 1).arg(i);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SetAppDirOverride(QStringLiteral(VARNOKI_BENCH_BIN_DIR));
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTextStream out(stdout);
    TLdbDb db;
    db.CreateFromEmpty(GetDbDir() + QStringLiteral("VARNOKI.FDB"));

    QElapsedTimer total;
    total.start();
    QElapsedTimer block;
    block.start();
    const int blockSize = count / 10;
    for (int i = 0; i < count; ++i) {
        const QString url = Url(i);
        if (!db.ExistsEntry(url))
            db.InsertEntry(url, QStringLiteral("記事のタイトル %1").arg(i), 45000 + i * 0.1, false);
        if ((i + 1) % blockSize == 0) {
            out << "add entries " << (i + 1 - blockSize + 1) << "-" << (i + 1) << ": "
                << QString::number(block.nsecsElapsed() / 1e6 / blockSize, 'f', 3) << " ms/entry"
                << Qt::endl;
            block.restart();
        }
    }
    out << "add " << count << " entries: " << QString::number(total.nsecsElapsed() / 1e6 / count, 'f', 3)
        << " ms/entry on average" << Qt::endl;

    for (int i = 0; i < count; ++i) {
        const QString url = Url(i);
        db.InsertCategoryEntries(1 + i % 5, {url});
        db.InsertCategoryEntries(6 + i % 3, {url});
    }
    TEntry entry;
    for (const TEntry &e : db.LoadEntries()) {
        entry = e;
        entry.SetComment(QStringLiteral("コメント %1").arg(e.GetId()));
        db.SaveComment(entry);
    }
    db.Close();
    db.Open(db.GetWorkFileName());

    QElapsedTimer timer;
    timer.start();
    const TEntryList loaded = db.LoadEntries();
    out << "LoadEntries, " << loaded.size() << " entries with 2 links and a comment each: "
        << timer.elapsed() << " ms" << Qt::endl;

    db.DeleteEntries(true);
    for (int i = 0; i < 100; ++i)
        db.InsertEntry(Url(count + i), QStringLiteral("新しい記事 %1").arg(i), 46000, true);
    timer.restart();
    db.MergeTmpEntries();
    out << "MergeTmpEntries, 100 new and " << count << " known: " << timer.elapsed() << " ms"
        << Qt::endl;

    const QString work = db.GetWorkFileName();
    db.Close();
    if (qEnvironmentVariableIsSet("VARNOKI_BENCH_KEEP"))
        out << "kept " << work << Qt::endl;
    else
        QFile::remove(work);
    return 0;
}
