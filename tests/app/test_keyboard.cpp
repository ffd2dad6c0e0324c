#include "Apptestsupport.h"

#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {
using Keyboard = AppTest;

void Activate(QWidget *window)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
}
} // namespace

TEST_F(Keyboard, TheMakeButtonAnswersItsMnemonicOnlyOnItsPage)
{
    TFormMain &form = Main();
    Activate(&form);
    QSignalSpy made(form.ActionHtmlMake, &QAction::triggered);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(made.count(), 0) << "the HTML page is not shown";

    form.PageControl1->setCurrentWidget(form.TabSheet1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(made.count() == 1 || made.wait(5000)) << "the button clicks itself a moment later";
}
