#pragma once

// What the window tests share: a private program tree (the test blog types, the built
// templates and databases), a private settings folder and dialogs answered in advance.

#include "Definitionfiles.h"
#include "Testpaths.h"
#include "app/Tfiledialog.h"
#include "app/Tmessagebox.h"
#include "app/UnitFormMain.h"
#include "platform/Tappdirs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

// Lets events run until a message box was shown (the end of a template's program is
// told by one), and returns the texts shown.
inline QStringList ShownOnceTheProgramEnds()
{
    QStringList shown;
    const QDeadlineTimer deadline(60000);
    while (shown.isEmpty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        shown = TMessageBox::TakeShownTexts();
    }
    return shown;
}

class AppTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir root;
        static bool done = false;
        if (!done) {
            done = true;
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))));
            const QString app = root.filePath(QStringLiteral("app"));
            QDir().mkpath(app + QStringLiteral("/blog"));
            const QDir blog(TestPaths::FixturesDir() + QStringLiteral("/app/blog"));
            for (const QString &name : blog.entryList(QDir::Files))
                QFile::copy(blog.filePath(name), app + QStringLiteral("/blog/") + name);
            QFile::link(TestPaths::BinDir() + QStringLiteral("/template"), app + QStringLiteral("/template"));
            QFile::link(TestPaths::BinDir() + QStringLiteral("/db"), app + QStringLiteral("/db"));
            SetAppDirOverride(app);
        }
    }

    void SetUp() override
    {
        TMessageBox::SetTestMode(true);
        TFileDialog::SetTestMode(true);
    }

    void TearDown() override
    {
        FModalTimers.clear();
        if (FForm) {
            TMessageBox::SetNextAnswer(QMessageBox::Discard);
            FForm->close();
            FForm.reset();
        }
    }

    // The main window, shown and through its deferred start-up.
    TFormMain &Main()
    {
        if (!FForm) {
            FForm = std::make_unique<TFormMain>();
            FForm->show();
            while (!FForm->IsInitialized())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
        return *FForm;
    }

    // Runs handler on the next modal window of type T as soon as it is up (the code
    // under test opens it with exec(), which does not return until it is closed).
    template <class T>
    void WhenModal(const std::function<void(T *)> &handler)
    {
        auto timer = std::make_unique<QTimer>();
        QTimer *raw = timer.get();
        raw->setInterval(0);
        QObject::connect(raw, &QTimer::timeout, raw, [raw, handler] {
            if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget())) {
                raw->stop();
                handler(window);
            }
        });
        raw->start();
        FModalTimers.push_back(std::move(timer));
    }

    QString TempPath(const QString &name) const { return FTemp.filePath(name); }

    QTemporaryDir FTemp;
    std::unique_ptr<TFormMain> FForm;
    std::vector<std::unique_ptr<QTimer>> FModalTimers;
};
