#include "Apptestsupport.h"

#include "app/Tvaluelisteditor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A window with a field before the editor, so that focus can arrive by Tab.
class ValueEditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&Window);
        Before = new QLineEdit(&Window);
        Editor = new TValueListEditor(&Window);
        layout->addWidget(Before);
        layout->addWidget(Editor);
        Editor->AppendRow(QStringLiteral("ページタイトル"), QString());
        Editor->AppendRow(QStringLiteral("並び順"), QString(),
                          {QStringLiteral("新しい順"), QStringLiteral("古い順")});
        Editor->AppendRow(QStringLiteral("コメントを表示"), QStringLiteral("たぶん"),
                          {QStringLiteral("はい"), QStringLiteral("いいえ")});
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
        Before->setFocus();
    }

    QComboBox *OpenCombo()
    {
        return qobject_cast<QComboBox *>(Editor->indexWidget(Editor->currentIndex()));
    }

    QWidget Window;
    QLineEdit *Before = nullptr;
    TValueListEditor *Editor = nullptr;
};

TEST_F(ValueEditorWindow, TabLandsOnTheFirstValueAndTypingEditsIt)
{
    QTest::keyClick(Before, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Editor);
    EXPECT_EQ(Editor->currentIndex().row(), 0);
    EXPECT_EQ(Editor->currentIndex().column(), 1);

    // Left and Home would reach the name; the value stays current.
    QTest::keyClick(Editor, Qt::Key_Left);
    QTest::keyClick(Editor, Qt::Key_Home);
    EXPECT_EQ(Editor->currentIndex().column(), 1);

    // The first key opens the value's editor, which takes the rest.
    QTest::keyClick(Editor, Qt::Key_A);
    QWidget *lineEditor = QApplication::focusWidget();
    QTest::keyClicks(lineEditor, QStringLiteral("bc"));
    QTest::keyClick(lineEditor, Qt::Key_Return);
    // The view commits an edit ended by Return once the key has been handled.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Editor->GetValue(0).isEmpty(); }, 5000));
    EXPECT_EQ(Editor->GetValue(0), QStringLiteral("abc"));
    EXPECT_EQ(Editor->GetName(0), QStringLiteral("ページタイトル"));
}

TEST_F(ValueEditorWindow, AClickOnANameMakesItsValueCurrent)
{
    const QRect name = Editor->visualRect(Editor->model()->index(2, 0));
    QTest::mouseClick(Editor->viewport(), Qt::LeftButton, {}, name.center());
    EXPECT_EQ(Editor->currentIndex().row(), 2);
    EXPECT_EQ(Editor->currentIndex().column(), 1);
    QTest::keyClicks(Editor, QStringLiteral("x"));
    EXPECT_EQ(Editor->GetName(2), QStringLiteral("コメントを表示"));
}

TEST_F(ValueEditorWindow, AnItemWithChoicesOffersThemInADropDown)
{
    QTest::keyClick(Before, Qt::Key_Tab);
    QTest::keyClick(Editor, Qt::Key_Down);
    ASSERT_EQ(Editor->currentIndex().row(), 1);
    QTest::keyClick(Editor, Qt::Key_F2);
    QComboBox *combo = OpenCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    // No blank line for the empty value: the choices only, the first one current.
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral("新しい順"), QStringLiteral("古い順")}));
    EXPECT_EQ(combo->currentIndex(), 0);
    combo->setCurrentIndex(1);
    Q_EMIT combo->activated(1);
    EXPECT_EQ(Editor->GetValue(1), QStringLiteral("古い順"));
    EXPECT_EQ(OpenCombo(), nullptr) << "a pick ends the edit";
}

TEST_F(ValueEditorWindow, AValueNotAmongTheChoicesIsShownAndKept)
{
    QTest::keyClick(Before, Qt::Key_Tab);
    QTest::keyClick(Editor, Qt::Key_Down);
    QTest::keyClick(Editor, Qt::Key_Down);
    ASSERT_EQ(Editor->currentIndex().row(), 2);
    QTest::keyClick(Editor, Qt::Key_F2);
    QComboBox *combo = OpenCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), QStringLiteral("たぶん"));
    EXPECT_EQ(combo->count(), 3);
    Editor->CommitEdit();
    EXPECT_EQ(Editor->GetValue(2), QStringLiteral("たぶん"));

    // A choice picked from the list replaces it.
    QTest::keyClick(Editor, Qt::Key_F2);
    combo = OpenCombo();
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(combo->findText(QStringLiteral("いいえ")));
    Editor->CommitEdit();
    EXPECT_EQ(Editor->GetValue(2), QStringLiteral("いいえ"));
    EXPECT_EQ(Editor->GetStrings().last(), QStringLiteral("コメントを表示=いいえ"));
}

using ValueEditorInMainWindow = AppTest;

TEST_F(ValueEditorInMainWindow, TheShippedTemplatesChoicesReachTheEditor)
{
    TFormMain &form = Main();
    bool found = false;
    for (int row = 0; row < form.EditHtmlConf->rowCount(); ++row) {
        if (form.EditHtmlConf->GetName(row) == QStringLiteral("並び順")) {
            found = true;
            EXPECT_EQ(form.EditHtmlConf->GetChoices(row),
                      (QStringList{QStringLiteral("新しい順"), QStringLiteral("古い順")}));
        }
        if (form.EditHtmlConf->GetName(row) == QStringLiteral("ページタイトル")) {
            EXPECT_TRUE(form.EditHtmlConf->GetChoices(row).isEmpty());
        }
    }
    EXPECT_TRUE(found);
}

} // namespace
