#include "Apptestsupport.h"

#include "app/UnitFormCategory.h"

#include <QLineEdit>
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

TEST_F(Keyboard, TheCategoryDialogsLabelsFocusTheirFields)
{
    TFormMain &form = Main();
    bool checked = false;
    WhenModal<TFormCategory>([&checked](TFormCategory *dialog) {
        Activate(dialog);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_U, Qt::AltModifier);
        EXPECT_EQ(dialog->focusWidget(), dialog->EditUrl);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_N, Qt::AltModifier);
        EXPECT_EQ(dialog->focusWidget(), dialog->EditName);
        checked = true;
        dialog->reject();
    });
    form.ActionInsertCategory->trigger();
    EXPECT_TRUE(checked);
}
