#include "Apptestsupport.h"

#include "app/UnitFormCategory.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

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

TEST_F(Keyboard, EnterChangesTheSelectedCategoryAndDeleteDeletesIt)
{
    TFormMain &form = Main();
    WhenModal<TFormCategory>([](TFormCategory *dialog) {
        dialog->EditName->setText(QStringLiteral("日記"));
        dialog->EditUrl->setText(QStringLiteral("http://blog.example/diary"));
        dialog->BtnOk->click();
    });
    form.ActionInsertCategory->trigger();
    FModalTimers.clear();
    Activate(&form);
    form.ListViewCategory->setFocus();
    form.ListViewCategory->setCurrentItem(form.ListViewCategory->topLevelItem(0));

    QString shown;
    WhenModal<TFormCategory>([&shown](TFormCategory *dialog) {
        shown = dialog->EditName->text();
        dialog->EditName->setText(QStringLiteral("旅行"));
        dialog->BtnOk->click();
    });
    QTest::keyClick(form.ListViewCategory, Qt::Key_Return);
    EXPECT_EQ(shown, QStringLiteral("日記"));
    EXPECT_EQ(form.ListViewCategory->topLevelItem(0)->text(0), QStringLiteral("旅行"));

    Activate(&form);
    form.ListViewCategory->setFocus();
    TMessageBox::SetNextAnswer(QMessageBox::Ok);
    QTest::keyClick(form.ListViewCategory, Qt::Key_Delete);
    const QStringList asked = TMessageBox::TakeShownTexts();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked.first().startsWith(QStringLiteral("選択されているカテゴリを削除します。\nよろしいですか？")));
    EXPECT_EQ(form.ListViewCategory->topLevelItemCount(), 0);
}
