#include "Projectfixture.h"
#include "store/Tcommatext.h"

TEST(CommaText, QuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(JoinCommaText({}), QString());
    EXPECT_EQ(JoinCommaText({QStringLiteral("日記"), QStringLiteral("旅行")}), QStringLiteral("日記,旅行"));
    EXPECT_EQ(JoinCommaText({QStringLiteral("a b"), QStringLiteral("c,d"), QStringLiteral("tab\there")}),
              QStringLiteral("\"a b\",\"c,d\",\"tab\there\""));
    EXPECT_EQ(JoinCommaText({QStringLiteral("say \"hi\"")}), QStringLiteral("\"say \"\"hi\"\"\""));
    // Full-width space and other non-ASCII text are left as they are.
    EXPECT_EQ(JoinCommaText({QStringLiteral("旅行　記録")}), QStringLiteral("旅行　記録"));
}

using CategoryCommaTextTest = ProjectTest;

TEST_F(CategoryCommaTextTest, NamesTrimmedInTheEntrysOrderAndBlanksLeftOut)
{
    FDb->InsertEntry(QStringLiteral("http://b/1"), QStringLiteral("one"), 0, false);
    FDb->InsertEntry(QStringLiteral("http://b/2"), QStringLiteral("two"), 0, false);
    FDb->InsertCategory(0, QStringLiteral(" "), QString());
    FDb->InsertCategory(1, QStringLiteral(" 日記\t"), QStringLiteral("http://b/c1"));
    FDb->InsertCategory(2, QStringLiteral("旅行 記録"), QStringLiteral("http://b/c2"));
    FDb->InsertCategory(3, QStringLiteral("  "), QStringLiteral("http://b/c3"));
    FDb->InsertCategoryEntries(1, {QStringLiteral("http://b/1")});
    FDb->InsertCategoryEntries(2, {QStringLiteral("http://b/1")});
    FDb->InsertCategoryEntries(3, {QStringLiteral("http://b/1")});

    const TEntryList entries = FDb->LoadEntries();
    TCategoryMap categories = FDb->LoadCategories();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(CategoryCommaText(entries.at(0), categories), QStringLiteral("日記,\"旅行 記録\""));
    EXPECT_EQ(CategoryCommaText(entries.at(1), categories), QString());
    // A link to a category that is no longer there adds nothing.
    categories.remove(1);
    EXPECT_EQ(CategoryCommaText(entries.at(0), categories), QStringLiteral("\"旅行 記録\""));
}
