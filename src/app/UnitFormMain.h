#pragma once

#include "blogtype/Tblogconfig.h"
#include "output/Ttemplatemanager.h"
#include "store/Tproject.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenu;
class QTabWidget;
class QTableView;
class QToolBar;
class QTreeWidget;
class QLabel;
class TCommentFilterModel;
class TCommentGridModel;
class TLdbDb;
#include "store/Tprojectsession.h"
#include "output/Tmakehtml.h"
class TValueListEditor;

// The main window: the project actions, and three pages for the blog and its
// categories, the entries' comments, and the table of contents.
class TFormMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    // Whether the deferred start-up has run (whatever its outcome).
    bool IsInitialized() const { return FInitialized; }
    // A project file to open once the window has started (the command line's).
    void SetStartFile(const QString &fileName) { FStartFile = fileName; }
    // Opens the project file, after the unsaved-changes question unless it was asked
    // already, and remembers it among the recent files.
    void OpenProjectFile(const QString &fileName, bool askFirst = true);
    // Shows the window in front of the others, restored if it was minimised.
    void BringToFront();
    // The recent project files, the latest first.
    static QStringList RecentFiles();
    // For a logout, kill or Ctrl+C: nothing is asked; unsaved work is kept as a
    // working copy that the next start offers to restore, and the program ends.
    void KeepWorkAndQuit();
    // Whether the project changed since it was created, opened or saved.
    bool IsModified() const { return FModified; }
    const TProject &GetProject() const { return FSession->Project(); }
    TLdbDb *GetDb() const { return FSession ? &FSession->Db() : nullptr; }
    const TCommentGridModel *GetCommentModel() const { return FCommentModel; }
    const TCommentFilterModel *GetCommentFilter() const { return FCommentFilter; }

    QAction *ActionFileNew;
    QAction *ActionFileOpen;
    QAction *ActionFileSave;
    QAction *ActionFileSaveAs;
    QAction *ActionFileClose;
    QAction *ActionConfigGeneral;
    QAction *ActionHelpVersion;
    QAction *ActionHelpContents;
    QAction *ActionHelpStart;
    QMenu *MenuRecentFiles;
    QAction *ActionDownloadEntry;
    QAction *ActionInsertCategory;
    QAction *ActionUpdateCategory;
    QAction *ActionDeleteCategory;
    QAction *ActionDownloadCategory;
    QAction *ActionBlogTypeHelp;
    QAction *ActionDetectBlogType;
    QAction *ActionReadBlogCategories;
    QAction *ActionCommentEdit;
    QAction *ActionCommentOpenUrl;
    QAction *ActionHtmlMake;
    QAction *ActionHtmlHelp;

    QToolBar *ControlBar1;
    QTabWidget *PageControl1;
    QWidget *TabSheetUrl;
    QWidget *TabSheetComment;
    QWidget *TabSheet1;

    QComboBox *ComboBoxBlogType;
    QLineEdit *EditEntryUrl;
    QCheckBox *CheckBoxDownloadNewEntryOnly;
    QTreeWidget *ListViewCategory;
    QMenu *PopupMenuListViewCategory;

    QTableView *GridComment;
    QLineEdit *EditCommentFilter;
    QLabel *LabelCommentCount;
    QMenu *PopupMenuGridComment;

    QComboBox *ComboBoxHtmlTemplate;
    QLabel *LabelHtmlKind;
    TValueListEditor *EditHtmlConf;

    void InitializeOnIdle();

    void ActionFileNewExecute();
    void ActionFileOpenExecute();
    void ActionFileSaveExecute();
    void ActionFileSaveAsExecute();
    void ActionFileCloseExecute();
    void ActionConfigGeneralExecute();
    void ActionHelpVersionExecute();
    void ActionDownloadEntryExecute();
    void ActionInsertCategoryExecute();
    void ActionUpdateCategoryExecute();
    void ActionDeleteCategoryExecute();
    void ActionDownloadCategoryExecute();
    void ActionBlogTypeHelpExecute();
    // Fetches the top page and selects the blog type that recognises it best, saying
    // why in the status bar.
    void ActionDetectBlogTypeExecute();
    // Adds the categories the blog lists that the list does not have yet.
    void ActionReadBlogCategoriesExecute();
    // Leaving the URL box of a new project that holds nothing yet detects its blog type.
    void EditEntryUrlFinished();
    void ActionCommentEditExecute();
    void ActionCommentOpenUrlExecute();
    void ActionHtmlMakeExecute();
    void ActionHtmlHelpExecute();

    void ComboBoxBlogTypeChange();
    void ComboBoxHtmlTemplateChange();
    void PageControl1Change();

    TBlogConfig GetSelectedBlogConfig() const;
    THtmlTemplate GetSelectedTemplate() const;
    void FillHtmlConf();

    void ShowProject(const TProject &project);
    void GatherProject(TProject &project);
    void SetCaption(const QString &fileName);

Q_SIGNALS:
    // The deferred start-up has run.
    void Initialized();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *CreatePageUrl();
    QWidget *CreatePageComment();
    QWidget *CreatePageHtml();
    void CreateActions();
    void Bind(QAction *action, void (TFormMain::*handler)());

    TProjectSession &Session();
    TLdbDb &Db();
    void SetModified(bool modified);
    void UpdateCaption();
    // Asks about unsaved changes; false when the user chose to stay (or saving failed
    // or was cancelled).
    bool ConfirmDiscardChanges();
    QString ProjectFolder() const;
    void AddCategoryRow(const QString &name, const QString &url);
    void FormClose();
    // Tells how a template's program ended, and offers what suits the file it made.
    void TemplateRunFinished(TTemplateRun *run, THtmlTemplate::TKind kind);
    // The table of contents' file name offered in the save dialog: the blog's name.
    QString SuggestedHtmlFileName(const THtmlTemplate &htmlTemplate);
    // The editor's values, kept under the name of the template they were typed for.
    void KeepHtmlValues();
    // Offers to restore work that an earlier run left unsaved, or to discard it.
    void OfferRecovery();
    void RestoreWindowState();
    void RememberRecentFile(const QString &fileName);
    void FillRecentFilesMenu();
    void ActionHelpContentsExecute();
    void ActionHelpStartExecute();
    // Shows one of the program's own help pages beside the window (once: it is
    // brought forward when already open).
    // activate: false leaves the focus where it is (the guide shown at the first start).
    void ShowGuide(const QString &caption, const QString &page, bool activate = true);
    // "120 / 2,000 件" under the filter, "2,000 件" without one.
    void ShowCommentCount();
    // The entry of the comment page's current row, or -1.
    int CurrentCommentEntry() const;
    // Stores an entry's comment, then shows it; raises when the database fails.
    void SaveEntryComment(int row, const QString &comment);
    // Opens the editor on the current row's comment cell (the dialog for a comment of
    // several lines).
    void EditCommentInPlace();
    // Narrows the other columns so that the comment keeps its share of the width.
    void FitCommentColumns();
    void SaveWindowState();

    std::unique_ptr<TProjectSession> FSession;
    // Template programs still writing their pages.
    std::vector<std::unique_ptr<TTemplateRun>> FTemplateRuns;
    TCommentGridModel *FCommentModel = nullptr;
    TCommentFilterModel *FCommentFilter = nullptr;
    TTemplateManager FTemplateManager;
    TBlogConfigManager FBlogConfigManager;
    int FTemplateIndex = -1;
    // The values of the templates chosen before, by template name.
    THtmlValuesByTemplate FOtherHtmlValues;

    QString FCaptionFileName;
    bool FModified = false;
    bool FInitialized = false;
    // Since when a signal asks the program to end while a modal window runs.
    QElapsedTimer FQuitTimer;
    QString FStartFile;
    bool FInitializeScheduled = false;
    // Set while the program itself fills the controls, so that only the user's
    // changes count as changes to the project.
    int FFilling = 0;
    // The URL the blog type was last detected for on leaving the URL box.
    QString FDetectedUrl;
};
