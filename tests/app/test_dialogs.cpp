#include "Apptestsupport.h"

#include "app/Tcommentgrid.h"
#include "store/Tcommatext.h"
#include "app/UnitFormAboutBox.h"
#include "app/UnitFormBlogTypeHelp.h"
#include "app/UnitFormCategory.h"
#include "app/UnitFormConfigGeneral.h"
#include "app/UnitFormHtmlTemplateHelp.h"
#include "platform/Tappconfig.h"
#include "platform/Tapptitle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>

namespace {
using Dialogs = AppTest;

QUrl BlogHelp(const QString &name)
{
    return QUrl::fromLocalFile(GetBlogDir() + name);
}
} // namespace

TEST_F(Dialogs, TheCategoryDialogClosesOnlyWithANameAndAUrl)
{
    TFormCategory dialog(nullptr);
    dialog.show();
    dialog.EditUrl->setFocus();
    dialog.BtnOk->click();
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList{QStringLiteral("カテゴリ名が入力されていません。")});
    EXPECT_EQ(dialog.focusWidget(), dialog.EditName);
    EXPECT_TRUE(dialog.isVisible());

    dialog.EditName->setText(QStringLiteral("日記"));
    dialog.BtnOk->click();
    EXPECT_EQ(TMessageBox::TakeShownTexts(), QStringList{QStringLiteral("URLが入力されていません。")});
    EXPECT_EQ(dialog.focusWidget(), dialog.EditUrl);
    EXPECT_TRUE(dialog.isVisible());

    // A URL of blanks is not empty; its form is not checked.
    dialog.EditUrl->setText(QStringLiteral(" "));
    dialog.BtnOk->click();
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(Dialogs, GeneralSettingsAreEditedAndSavedOnOk)
{
    TFormMain &form = Main();
    TAppConfig &config = TAppConfig::GetInstance();
    ASSERT_FALSE(config.GetUseProxy());

    // The proxy fields follow the choice; a port that is not a number keeps the old
    // one, a wait that is not a number becomes 0.
    WhenModal<TFormConfigGeneral>([](TFormConfigGeneral *dialog) {
        EXPECT_TRUE(dialog->RadioButtonUseProxy1->isChecked());
        EXPECT_FALSE(dialog->EditProxyServer->isEnabled());
        EXPECT_EQ(dialog->EditProxyPort->text(), QStringLiteral("8080"));
        dialog->RadioButtonUseProxy2->setChecked(true);
        EXPECT_TRUE(dialog->EditProxyServer->isEnabled());
        EXPECT_TRUE(dialog->EditProxyPort->isEnabled());
        dialog->EditProxyServer->setText(QStringLiteral("proxy.example"));
        dialog->EditProxyPort->setText(QStringLiteral("abc"));
        dialog->EditSleepTime->setText(QStringLiteral("x"));
        dialog->BtnOK->click();
    });
    form.ActionConfigGeneral->trigger();
    EXPECT_TRUE(config.GetUseProxy());
    EXPECT_EQ(config.GetProxyServer(), QStringLiteral("proxy.example"));
    EXPECT_EQ(config.GetProxyPort(), 8080);
    EXPECT_EQ(config.GetSleepTime(), 0);

    TAppConfig::GetInstance().SetDefaults();
    config.Load(TAppConfig::GetIniFileName());
    EXPECT_EQ(config.GetProxyServer(), QStringLiteral("proxy.example")) << "written by OK";

    // Cancel changes nothing; a direct connection clears host and port.
    WhenModal<TFormConfigGeneral>([](TFormConfigGeneral *dialog) {
        EXPECT_TRUE(dialog->RadioButtonUseProxy2->isChecked());
        dialog->EditSleepTime->setText(QStringLiteral("500"));
        dialog->BtnCancel->click();
    });
    form.ActionConfigGeneral->trigger();
    EXPECT_EQ(config.GetSleepTime(), 0);
    WhenModal<TFormConfigGeneral>([](TFormConfigGeneral *dialog) {
        dialog->RadioButtonUseProxy1->setChecked(true);
        dialog->EditSleepTime->setText(QStringLiteral(" 250 "));
        dialog->BtnOK->click();
    });
    form.ActionConfigGeneral->trigger();
    EXPECT_FALSE(config.GetUseProxy());
    EXPECT_EQ(config.GetProxyServer(), QString());
    EXPECT_EQ(config.GetProxyPort(), 0);
    EXPECT_EQ(config.GetSleepTime(), 250);
    EXPECT_FALSE(form.IsModified()) << "settings are not part of the project";
    config.SetDefaults();
    config.Save(TAppConfig::GetIniFileName());
}

TEST_F(Dialogs, TheVersionDialogShowsTitleVersionAndCopyright)
{
    TFormMain &form = Main();
    WhenModal<TFormAboutBox>([](TFormAboutBox *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("バージョン情報"));
        EXPECT_EQ(dialog->ProductName->text(), GetApplicationTitle());
        EXPECT_EQ(dialog->Version->text(), QStringLiteral(VARNOKI_VERSION));
        EXPECT_EQ(dialog->Copyright->text(), QStringLiteral(VARNOKI_COPYRIGHT));
        dialog->OKButton->click();
    });
    form.ActionHelpVersion->trigger();
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty());
}

TEST_F(Dialogs, HelpWindowsListEveryRecordAndShowTheSelectedDocument)
{
    TFormMain &form = Main();
    WhenModal<TFormBlogTypeHelp>([](TFormBlogTypeHelp *window) {
        ASSERT_EQ(window->ListViewBlog->topLevelItemCount(), 2);
        EXPECT_EQ(window->ListViewBlog->columnCount(), 3);
        EXPECT_EQ(window->ListViewBlog->topLevelItem(1)->text(1), QStringLiteral("二つ目のブログの種類です。"));
        // Where each blog type comes from, and where the user's own go.
        EXPECT_EQ(window->ListViewBlog->topLevelItem(1)->text(2) + QLatin1Char('/'), GetBlogDir());
        EXPECT_TRUE(window->LabelUserFolder->text().contains(GetUserBlogDir().chopped(1)))
            << window->LabelUserFolder->text().toStdString();
        EXPECT_EQ(window->ListViewBlog->currentItem(), window->ListViewBlog->topLevelItem(0));
        EXPECT_EQ(window->WebBrowser1->source(), BlogHelp(QStringLiteral("sample.html")));
        EXPECT_TRUE(window->WebBrowser1->toPlainText().contains(QStringLiteral("テストのためのブログ")));
        window->ListViewBlog->setCurrentItem(window->ListViewBlog->topLevelItem(1));
        EXPECT_EQ(window->WebBrowser1->source(), BlogHelp(QStringLiteral("second.html")));
        EXPECT_TRUE(window->WebBrowser1->toPlainText().contains(QStringLiteral("二つ目の説明")));
        window->ButtonGuide->click();
        EXPECT_EQ(window->WebBrowser1->source(), BlogHelp(QStringLiteral("guide.html")));
        EXPECT_TRUE(window->WebBrowser1->toPlainText().contains(QStringLiteral("ブログの種類を作るための手引き")));
        window->BitBtn1->click();
    });
    form.ActionBlogTypeHelp->trigger();

    WhenModal<TFormHtmlTemplateHelp>([](TFormHtmlTemplateHelp *window) {
        TTemplateManager manager;
        manager.Load();
        const THtmlTemplateList templates = manager.GetTemplates();
        ASSERT_EQ(window->ListViewBlog->topLevelItemCount(), templates.size());
        EXPECT_EQ(window->ListViewBlog->columnCount(), 1);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("HTMLテンプレートのヘルプ"));
        for (int i = 0; i < templates.size(); ++i)
            EXPECT_EQ(window->ListViewBlog->topLevelItem(i)->text(0), templates.at(i).GetName());
        EXPECT_EQ(window->WebBrowser1->source(), QUrl::fromLocalFile(templates.at(0).GetHelpPath()));
        window->BitBtn1->click();
    });
    form.ActionHtmlHelp->trigger();
    EXPECT_TRUE(TMessageBox::TakeShownTexts().isEmpty());
}

TEST(CommentText, NamesWithBlanksCommasOrQuotesAreQuoted)
{
    EXPECT_EQ(JoinCommaText({}), QString());
    EXPECT_EQ(JoinCommaText({QStringLiteral("日記")}), QStringLiteral("日記"));
    EXPECT_EQ(JoinCommaText({QStringLiteral("日記"), QStringLiteral("旅行 記録")}),
              QStringLiteral("日記,\"旅行 記録\""));
    EXPECT_EQ(JoinCommaText({QStringLiteral("a,b"), QStringLiteral("say \"hi\""), QStringLiteral("tab\there")}),
              QStringLiteral("\"a,b\",\"say \"\"hi\"\"\",\"tab\there\""));
    // Only blanks up to U+0020 count: an ideographic space needs no quotes.
    EXPECT_EQ(JoinCommaText({QStringLiteral("旅行　記録")}), QStringLiteral("旅行　記録"));
    EXPECT_EQ(EntryDateText(0), QStringLiteral("1899/12/30"));
    EXPECT_EQ(EntryDateText(EncodeDateTime(2009, 3, 5, 23, 59, 59)), QStringLiteral("2009/03/05"));
}
