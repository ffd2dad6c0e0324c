#include "app/UnitFormMain.h"

#include "app/Tcommentgrid.h"
#include "app/Tfiledialog.h"
#include "app/Tguiutility.h"
#include "app/Tmessagebox.h"
#include "app/Tvaluelisteditor.h"
#include "app/Twindowstate.h"
#include "app/UnitFormAboutBox.h"
#include "app/UnitFormBlogTypeHelp.h"
#include "app/UnitFormCategory.h"
#include "app/UnitFormComment.h"
#include "app/UnitFormConfigGeneral.h"
#include "app/UnitFormDownloadCategory.h"
#include "app/UnitFormDownloadEntry.h"
#include "app/UnitFormGuide.h"
#include "app/UnitFormHtmlTemplateHelp.h"
#include "app/UnitFormMakingHtmlStatus.h"
#include "output/Tmakehtml.h"
#include "platform/Tappconfig.h"
#include "platform/Tappdirs.h"
#include "platform/Tapptitle.h"
#include "platform/Varnokierror.h"
#include "retrieval/Tblogcategories.h"
#include "retrieval/Tblogdetect.h"
#include "retrieval/Tdownloadhost.h"
#include "retrieval/Thttputility.h"
#include "store/Tldbdb.h"
#include "store/Tprojectsession.h"
#include "store/Tworkingcopy.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QRegularExpression>
#include <QCoreApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>
#include <unistd.h>

namespace {
const QString ProjectFilter = QStringLiteral("プロジェクトファイル(*.FDB);;すべてのファイル(*)");

// The template list's row: the name and what the template makes.
QString TemplateListText(const THtmlTemplate &htmlTemplate)
{
    return htmlTemplate.GetName() + QStringLiteral(" — ") + TemplateKindText(htmlTemplate.GetKind());
}

QString HtmlSaveFilter(const THtmlTemplate &htmlTemplate)
{
    const QString ext = htmlTemplate.GetExt();
    if (htmlTemplate.GetKind() == THtmlTemplate::TKind::Markdown)
        return QStringLiteral("Markdownファイル(*.%1);;すべてのファイル(*)").arg(ext);
    return QStringLiteral("HTMLファイル(*.%1 *.htm);;すべてのファイル(*)").arg(ext);
}

// A name fit for a file on any common file system.
QString FileNameFromText(QString text)
{
    static const QRegularExpression unfit(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]+"));
    text.replace(unfit, QStringLiteral(" "));
    text = text.simplified();
    while (text.startsWith(QLatin1Char('.')))
        text.remove(0, 1);
    return text.left(60).trimmed();
}
const QString GridColumnsKey = QStringLiteral("FormMain/GridCommentColumns");
const QString GeometryKey = QStringLiteral("FormMain/Geometry");

// Counts the program's own filling of controls for the life of the object.
class TFillingScope
{
public:
    explicit TFillingScope(int &counter) : FCounter(counter) { ++FCounter; }
    ~TFillingScope() { --FCounter; }
    TFillingScope(const TFillingScope &) = delete;
    TFillingScope &operator=(const TFillingScope &) = delete;

private:
    int &FCounter;
};
} // namespace

TFormMain::TFormMain(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowIcon(GetProgramIcon());

    CreateActions();

    QMenu *menuFile = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    menuFile->addAction(ActionFileNew);
    menuFile->addAction(ActionFileOpen);
    menuFile->addAction(ActionFileSave);
    menuFile->addAction(ActionFileSaveAs);
    menuFile->addSeparator();
    MenuRecentFiles = menuFile->addMenu(QStringLiteral("最近使ったファイル(&R)"));
    MenuRecentFiles->setObjectName(QStringLiteral("MenuRecentFiles"));
    connect(MenuRecentFiles, &QMenu::aboutToShow, this, [this] { FillRecentFilesMenu(); });
    FillRecentFilesMenu();
    menuFile->addSeparator();
    menuFile->addAction(ActionFileClose);
    menuBar()->addMenu(QStringLiteral("設定(&O)"))->addAction(ActionConfigGeneral);
    QMenu *menuHelp = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    menuHelp->addAction(ActionHelpStart);
    menuHelp->addAction(ActionHelpContents);
    menuHelp->addAction(ActionHelpVersion);

    ControlBar1 = addToolBar(QStringLiteral("ツールバー"));
    ControlBar1->setObjectName(QStringLiteral("ControlBar1"));
    ControlBar1->setMovable(false);
    ControlBar1->setFloatable(false);
    ControlBar1->toggleViewAction()->setEnabled(false);
    ControlBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ControlBar1->addAction(ActionFileNew);
    ControlBar1->addAction(ActionFileOpen);
    ControlBar1->addAction(ActionFileSave);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheetUrl = CreatePageUrl();
    TabSheetComment = CreatePageComment();
    TabSheet1 = CreatePageHtml();
    PageControl1->addTab(TabSheetUrl, QStringLiteral("URLの設定(&1)"));
    PageControl1->addTab(TabSheetComment, QStringLiteral("コメントの設定(&2)"));
    PageControl1->addTab(TabSheet1, GetIcon(QStringLiteral("text-html")),
                         QStringLiteral("HTMLファイルの作成(&3)"));
    setCentralWidget(PageControl1);
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this] { RunGuarded(this, [this] { PageControl1Change(); }); });

    FSession = std::make_unique<TProjectSession>();

    SetCaption(QString());
    PageControl1->setCurrentIndex(0);
    RestoreWindowState();
}

TFormMain::~TFormMain()
{
    FormClose();
}

void TFormMain::CreateActions()
{
    const QString file = QStringLiteral("ファイル");
    const QString url = QStringLiteral("URLの設定");
    const QString comment = QStringLiteral("コメントの設定");
    const QString html = QStringLiteral("HTML作成");
    ActionFileNew = MakeAction(this, QStringLiteral("ActionFileNew"), file,
                               QStringLiteral("新規作成(&N)"), QStringLiteral("document-new"));
    ActionFileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    ActionFileOpen = MakeAction(this, QStringLiteral("ActionFileOpen"), file,
                                QStringLiteral("開く(&O)"), QStringLiteral("document-open"));
    ActionFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ActionFileSave = MakeAction(this, QStringLiteral("ActionFileSave"), file,
                                QStringLiteral("上書き保存(&S)"), QStringLiteral("document-save"));
    ActionFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ActionFileSaveAs = MakeAction(this, QStringLiteral("ActionFileSaveAs"), file,
                                  QStringLiteral("名前を付けて保存(&A)"),
                                  QStringLiteral("document-save-as"));
    ActionFileClose = MakeAction(this, QStringLiteral("ActionFileClose"), file,
                                 QStringLiteral("閉じる(&X)"), QStringLiteral("window-close"));
    ActionFileClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    ActionConfigGeneral = MakeAction(this, QStringLiteral("ActionConfigGeneral"),
                                     QStringLiteral("設定"), QStringLiteral("全般設定"),
                                     QStringLiteral("preferences-system"));
    ActionHelpVersion = MakeAction(this, QStringLiteral("ActionHelpVersion"),
                                   QStringLiteral("ヘルプ"), QStringLiteral("バージョン情報(&A)"),
                                   QStringLiteral("help-about"));
    ActionHelpContents = MakeAction(this, QStringLiteral("ActionHelpContents"), QStringLiteral("ヘルプ"),
                                    QStringLiteral("このページのヘルプ(&H)"), QStringLiteral("help-browser"));
    ActionHelpContents->setShortcut(QKeySequence(Qt::Key_F1));
    ActionHelpStart = MakeAction(this, QStringLiteral("ActionHelpStart"), QStringLiteral("ヘルプ"),
                                 QStringLiteral("はじめに(&S)"), QStringLiteral("help-browser"));
    ActionDownloadEntry = MakeAction(
        this, QStringLiteral("ActionDownloadEntry"), url, QStringLiteral("取得"),
        QStringLiteral("go-down"),
        QStringLiteral("ブログにアクセスして、エントリーのURLとタイトルを取得します。|"
                       "ブログにアクセスして、エントリーのURLとタイトルを取得します。"));
    ActionInsertCategory = MakeAction(this, QStringLiteral("ActionInsertCategory"), url,
                                      QStringLiteral("追加"), QStringLiteral("list-add"),
                                      QStringLiteral("カテゴリーを追加します。|カテゴリーを追加します。"));
    ActionUpdateCategory = MakeAction(
        this, QStringLiteral("ActionUpdateCategory"), url, QStringLiteral("修正"),
        QStringLiteral("document-edit"),
        QStringLiteral("選択しているカテゴリーを修正します。|選択しているカテゴリーを修正します。"));
    ActionDeleteCategory = MakeAction(
        this, QStringLiteral("ActionDeleteCategory"), url, QStringLiteral("削除"),
        QStringLiteral("list-remove"),
        QStringLiteral("選択しているカテゴリーを削除します。|選択しているカテゴリーを削除します。"));
    ActionDownloadCategory = MakeAction(
        this, QStringLiteral("ActionDownloadCategory"), url, QStringLiteral("取得"),
        QStringLiteral("go-down"),
        QStringLiteral("ブログにアクセスして、各カテゴリーのエントリーを取得します。|"
                       "ブログにアクセスして、各カテゴリーのエントリーを取得します。"));
    ActionBlogTypeHelp = MakeAction(
        this, QStringLiteral("ActionBlogTypeHelp"), url, QStringLiteral("ヘルプ"),
        QStringLiteral("help-browser"),
        QStringLiteral("ブログの種類のヘルプを表示します。|ブログの種類のヘルプを表示します。"));
    ActionDetectBlogType = MakeAction(
        this, QStringLiteral("ActionDetectBlogType"), url, QStringLiteral("自動判別(&D)"),
        QStringLiteral("system-search"),
        QStringLiteral("トップページを取得して、ブログの種類を判別します。|"
                       "トップページを取得して、ブログの種類を判別します。"));
    ActionReadBlogCategories = MakeAction(
        this, QStringLiteral("ActionReadBlogCategories"), url, QStringLiteral("ブログから読み込む(&B)"),
        QStringLiteral("document-import"),
        QStringLiteral("ブログのカテゴリーの一覧を読み込み、まだないカテゴリーを追加します。|"
                       "ブログのカテゴリーの一覧を読み込み、まだないカテゴリーを追加します。"));
    ActionCommentEdit = MakeAction(this, QStringLiteral("ActionCommentEdit"), comment,
                                   QStringLiteral("編集"), QStringLiteral("document-edit"));
    ActionCommentOpenUrl = MakeAction(this, QStringLiteral("ActionCommentOpenUrl"), comment,
                                      QStringLiteral("URLを開く"), QStringLiteral("web-browser"));
    ActionHtmlMake = MakeAction(this, QStringLiteral("ActionHtmlMake"), html,
                                QStringLiteral("ファイル作成(&S)"), QStringLiteral("text-html"));
    ActionHtmlHelp = MakeAction(this, QStringLiteral("ActionHtmlHelp"), html,
                                QStringLiteral("ヘルプ"), QStringLiteral("help-browser"));

    Bind(ActionFileNew, &TFormMain::ActionFileNewExecute);
    Bind(ActionFileOpen, &TFormMain::ActionFileOpenExecute);
    Bind(ActionFileSave, &TFormMain::ActionFileSaveExecute);
    Bind(ActionFileSaveAs, &TFormMain::ActionFileSaveAsExecute);
    Bind(ActionFileClose, &TFormMain::ActionFileCloseExecute);
    Bind(ActionConfigGeneral, &TFormMain::ActionConfigGeneralExecute);
    Bind(ActionHelpVersion, &TFormMain::ActionHelpVersionExecute);
    Bind(ActionHelpContents, &TFormMain::ActionHelpContentsExecute);
    Bind(ActionHelpStart, &TFormMain::ActionHelpStartExecute);
    Bind(ActionDownloadEntry, &TFormMain::ActionDownloadEntryExecute);
    Bind(ActionInsertCategory, &TFormMain::ActionInsertCategoryExecute);
    Bind(ActionUpdateCategory, &TFormMain::ActionUpdateCategoryExecute);
    Bind(ActionDeleteCategory, &TFormMain::ActionDeleteCategoryExecute);
    Bind(ActionDownloadCategory, &TFormMain::ActionDownloadCategoryExecute);
    Bind(ActionBlogTypeHelp, &TFormMain::ActionBlogTypeHelpExecute);
    Bind(ActionDetectBlogType, &TFormMain::ActionDetectBlogTypeExecute);
    Bind(ActionReadBlogCategories, &TFormMain::ActionReadBlogCategoriesExecute);
    Bind(ActionCommentEdit, &TFormMain::ActionCommentEditExecute);
    Bind(ActionCommentOpenUrl, &TFormMain::ActionCommentOpenUrlExecute);
    Bind(ActionHtmlMake, &TFormMain::ActionHtmlMakeExecute);
    Bind(ActionHtmlHelp, &TFormMain::ActionHtmlHelpExecute);
}

void TFormMain::Bind(QAction *action, void (TFormMain::*handler)())
{
    connect(action, &QAction::triggered, this,
            [this, handler] { RunGuarded(this, [this, handler] { (this->*handler)(); }); });
}

QWidget *TFormMain::CreatePageUrl()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetUrl"));

    ComboBoxBlogType = new QComboBox(page);
    ComboBoxBlogType->setObjectName(QStringLiteral("ComboBoxBlogType"));
    auto *label2 = new QLabel(QStringLiteral("ブログの種類"), page);
    label2->setBuddy(ComboBoxBlogType);

    EditEntryUrl = new QLineEdit(page);
    EditEntryUrl->setObjectName(QStringLiteral("EditEntryUrl"));
    EditEntryUrl->setAttribute(Qt::WA_InputMethodEnabled, false);
    auto *labelUrl = new QLabel(QStringLiteral("ブログのトップページのURL"), page);
    labelUrl->setBuddy(EditEntryUrl);

    CheckBoxDownloadNewEntryOnly = new QCheckBox(QStringLiteral("最新記事のみ"), page);
    CheckBoxDownloadNewEntryOnly->setObjectName(QStringLiteral("CheckBoxDownloadNewEntryOnly"));

    ListViewCategory = new QTreeWidget(page);
    ListViewCategory->setObjectName(QStringLiteral("ListViewCategory"));
    ListViewCategory->setRootIsDecorated(false);
    ListViewCategory->setHeaderLabels({QStringLiteral("カテゴリー名"), QStringLiteral("URL")});
    ListViewCategory->header()->setSectionResizeMode(QHeaderView::Stretch);
    ListViewCategory->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewCategory->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewCategory->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewCategory->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *label1 = new QLabel(QStringLiteral("カテゴリ"), page);
    label1->setBuddy(ListViewCategory);

    PopupMenuListViewCategory = new QMenu(this);
    PopupMenuListViewCategory->setObjectName(QStringLiteral("PopupMenuListViewCategory"));
    PopupMenuListViewCategory->addAction(ActionInsertCategory);
    PopupMenuListViewCategory->addAction(ActionUpdateCategory);
    PopupMenuListViewCategory->addAction(ActionDeleteCategory);
    PopupMenuListViewCategory->addSeparator();
    PopupMenuListViewCategory->addAction(ActionDownloadCategory);
    connect(ListViewCategory, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenuListViewCategory->popup(ListViewCategory->viewport()->mapToGlobal(pos));
    });
    // As on the comment page: a double click or Enter changes the row, Delete deletes it.
    connect(ListViewCategory, &QAbstractItemView::doubleClicked, ActionUpdateCategory, &QAction::trigger);
    const std::pair<QKeyCombination, QAction *> categoryKeys[] = {
        {QKeyCombination(Qt::Key_Return), ActionUpdateCategory},
        {QKeyCombination(Qt::Key_Enter), ActionUpdateCategory},
        {QKeyCombination(Qt::Key_Delete), ActionDeleteCategory},
    };
    for (const auto &[key, action] : categoryKeys) {
        auto *shortcut = new QShortcut(QKeySequence(key), ListViewCategory, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, action, &QAction::trigger);
    }

    QToolButton *speedButton7 = MakeActionButton(ActionBlogTypeHelp, page);
    speedButton7->setObjectName(QStringLiteral("SpeedButton7"));
    QToolButton *speedButton1 = MakeActionButton(ActionDownloadEntry, page);
    speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    QToolButton *speedButton2 = MakeActionButton(ActionInsertCategory, page);
    speedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    QToolButton *speedButton3 = MakeActionButton(ActionUpdateCategory, page);
    speedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    QToolButton *speedButton4 = MakeActionButton(ActionDeleteCategory, page);
    speedButton4->setObjectName(QStringLiteral("SpeedButton4"));
    QToolButton *speedButton5 = MakeActionButton(ActionDownloadCategory, page);
    speedButton5->setObjectName(QStringLiteral("SpeedButton5"));
    QToolButton *buttonDetect = MakeActionButton(ActionDetectBlogType, page);
    buttonDetect->setObjectName(QStringLiteral("ButtonDetectBlogType"));
    QToolButton *buttonReadCategories = MakeActionButton(ActionReadBlogCategories, page);
    buttonReadCategories->setObjectName(QStringLiteral("ButtonReadBlogCategories"));
    for (QToolButton *button : {speedButton7, speedButton1, speedButton2, speedButton3,
                                speedButton4, speedButton5, buttonReadCategories})
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *blogTypeRow = new QHBoxLayout;
    blogTypeRow->addWidget(ComboBoxBlogType, 1);
    blogTypeRow->addWidget(buttonDetect);

    auto *categoryButtons = new QVBoxLayout;
    categoryButtons->addWidget(speedButton2);
    categoryButtons->addWidget(speedButton3);
    categoryButtons->addWidget(speedButton4);
    categoryButtons->addWidget(buttonReadCategories);
    categoryButtons->addSpacing(12);
    categoryButtons->addWidget(speedButton5);
    categoryButtons->addStretch();

    auto *grid = new QGridLayout(page);
    grid->addWidget(label2, 0, 0);
    grid->addLayout(blogTypeRow, 1, 0);
    grid->addWidget(speedButton7, 1, 1);
    grid->addWidget(labelUrl, 2, 0);
    grid->addWidget(EditEntryUrl, 3, 0);
    grid->addWidget(speedButton1, 3, 1);
    grid->addWidget(CheckBoxDownloadNewEntryOnly, 4, 0, 1, 2, Qt::AlignRight);
    grid->addWidget(label1, 5, 0);
    grid->addWidget(ListViewCategory, 6, 0);
    grid->addLayout(categoryButtons, 6, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(6, 1);

    QWidget::setTabOrder(ComboBoxBlogType, buttonDetect);
    QWidget::setTabOrder(buttonDetect, speedButton7);
    QWidget::setTabOrder(speedButton7, EditEntryUrl);
    QWidget::setTabOrder(EditEntryUrl, speedButton1);
    QWidget::setTabOrder(speedButton1, CheckBoxDownloadNewEntryOnly);
    QWidget::setTabOrder(CheckBoxDownloadNewEntryOnly, ListViewCategory);
    QWidget::setTabOrder(ListViewCategory, speedButton2);
    QWidget::setTabOrder(speedButton2, speedButton3);
    QWidget::setTabOrder(speedButton3, speedButton4);
    QWidget::setTabOrder(speedButton4, buttonReadCategories);
    QWidget::setTabOrder(buttonReadCategories, speedButton5);

    connect(ComboBoxBlogType, &QComboBox::currentIndexChanged, this, [this] {
        RunGuarded(this, [this] { ComboBoxBlogTypeChange(); });
        if (!FFilling)
            SetModified(true);
    });
    connect(EditEntryUrl, &QLineEdit::textChanged, this, [this] {
        if (!FFilling)
            SetModified(true);
    });
    connect(EditEntryUrl, &QLineEdit::editingFinished, this, [this] {
        // Once the focus has gone where it goes: a window opening over this one (a
        // download, a question) takes it, and is no time to fetch a page.
        QTimer::singleShot(0, this, [this] {
            if (!QApplication::activeModalWidget() && isActiveWindow())
                RunGuarded(this, [this] { EditEntryUrlFinished(); });
        });
    });
    return page;
}

QWidget *TFormMain::CreatePageComment()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetComment"));

    FCommentModel = new TCommentGridModel(this);
    FCommentFilter = new TCommentFilterModel(FCommentModel, this);
    EditCommentFilter = new QLineEdit(page);
    EditCommentFilter->setObjectName(QStringLiteral("EditCommentFilter"));
    EditCommentFilter->setPlaceholderText(QStringLiteral("タイトル・URL・カテゴリー・コメントで絞り込み"));
    EditCommentFilter->setClearButtonEnabled(true);
    auto *filterLabel = new QLabel(QStringLiteral("絞り込み(&K):"), page);
    filterLabel->setBuddy(EditCommentFilter);
    LabelCommentCount = new QLabel(page);
    LabelCommentCount->setObjectName(QStringLiteral("LabelCommentCount"));
    LabelCommentCount->setMinimumWidth(LabelCommentCount->fontMetrics().horizontalAdvance(QStringLiteral("000,000 / 000,000 件")));
    LabelCommentCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // As the user types: the folded texts are made once when the entries load.
    connect(EditCommentFilter, &QLineEdit::textChanged, this, [this](const QString &text) {
        FCommentFilter->SetFilterText(text);
        ShowCommentCount();
    });
    // Down from the filter box goes to the rows it left.
    auto *toGrid = new QShortcut(QKeySequence(Qt::Key_Down), EditCommentFilter, nullptr, nullptr, Qt::WidgetShortcut);
    connect(toGrid, &QShortcut::activated, this, [this] {
        GridComment->setFocus();
        if (!GridComment->currentIndex().isValid() && FCommentFilter->rowCount() > 0)
            GridComment->setCurrentIndex(FCommentFilter->index(0, 0));
    });

    GridComment = new QTableView(page);
    GridComment->setObjectName(QStringLiteral("GridComment"));
    GridComment->setModel(FCommentFilter);
    // Unsorted at first (the project's order); a third click on a header returns to it.
    GridComment->horizontalHeader()->setSortIndicatorClearable(true);
    GridComment->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    GridComment->setSortingEnabled(true);
    GridComment->setItemDelegate(new TCommentGridDelegate(GridComment));
    GridComment->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridComment->setSelectionMode(QAbstractItemView::SingleSelection);
    // Edits start only on the comment cell of the current row (EditCommentInPlace).
    GridComment->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridComment->setWordWrap(false);
    GridComment->setTabKeyNavigation(false);
    GridComment->verticalHeader()->hide();
    // One line a row, so that a long blog fits many rows on the screen.
    GridComment->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridComment->verticalHeader()->setDefaultSectionSize(GridComment->fontMetrics().height() + 8);
    GridComment->horizontalHeader()->setStretchLastSection(true);
    GridComment->viewport()->installEventFilter(this);
    FCommentModel->OnCommentEdited = [this](int row, const QString &comment) {
        return RunGuarded(this, [this, row, &comment] { SaveEntryComment(row, comment); });
    };
    GridComment->horizontalHeader()->setHighlightSections(false);
    GridComment->setContextMenuPolicy(Qt::CustomContextMenu);

    PopupMenuGridComment = new QMenu(this);
    PopupMenuGridComment->setObjectName(QStringLiteral("PopupMenuGridComment"));
    PopupMenuGridComment->addAction(ActionCommentEdit);
    PopupMenuGridComment->addAction(ActionCommentOpenUrl);
    connect(GridComment, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenuGridComment->popup(GridComment->viewport()->mapToGlobal(pos));
    });
    // A double click on the URL opens it, on the comment edits it in place; elsewhere
    // it opens the comment dialog. Enter and F2 edit the comment in place.
    connect(GridComment, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.column() == TCommentGridModel::ColumnUrl)
            ActionCommentOpenUrl->trigger();
        else if (index.column() == TCommentGridModel::ColumnComment)
            EditCommentInPlace();
        else
            ActionCommentEdit->trigger();
    });
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_Return), QKeyCombination(Qt::Key_Enter),
                                      QKeyCombination(Qt::Key_F2)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), GridComment, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] { EditCommentInPlace(); });
    }

    QToolButton *speedButton6 = MakeActionButton(ActionCommentEdit, page);
    speedButton6->setObjectName(QStringLiteral("SpeedButton6"));
    QToolButton *openButton = MakeActionButton(ActionCommentOpenUrl, page);
    openButton->setObjectName(QStringLiteral("ButtonCommentOpenUrl"));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(speedButton6);
    buttons->addWidget(openButton);
    buttons->addStretch();
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(EditCommentFilter, 1);
    filterRow->addWidget(LabelCommentCount);
    auto *gridColumn = new QVBoxLayout;
    gridColumn->addLayout(filterRow);
    gridColumn->addWidget(GridComment, 1);
    auto *layout = new QHBoxLayout(page);
    layout->addLayout(gridColumn, 1);
    layout->addLayout(buttons);
    ShowCommentCount();
    return page;
}

QWidget *TFormMain::CreatePageHtml()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));

    ComboBoxHtmlTemplate = new QComboBox(page);
    ComboBoxHtmlTemplate->setObjectName(QStringLiteral("ComboBoxHtmlTemplate"));
    auto *label3 = new QLabel(QStringLiteral("テンプレート(&T)"), page);
    label3->setBuddy(ComboBoxHtmlTemplate);
    QToolButton *speedButton11 = MakeActionButton(ActionHtmlHelp, page);
    speedButton11->setObjectName(QStringLiteral("SpeedButton11"));
    LabelHtmlKind = new QLabel(QStringLiteral(
        "はてなブログ・Ameba・FC2・livedoor・Seesaa・Blogger などのブログサービスでは、"
        "記事に貼り付ける「HTML断片」か「Markdown」のテンプレートを選びます。"
        "「HTMLページ」は自分のサイトに置くページです。"), page);
    LabelHtmlKind->setObjectName(QStringLiteral("LabelHtmlKind"));
    LabelHtmlKind->setWordWrap(true);
    LabelHtmlKind->setForegroundRole(QPalette::PlaceholderText);

    EditHtmlConf = new TValueListEditor(page);
    EditHtmlConf->setObjectName(QStringLiteral("EditHtmlConf"));
    EditHtmlConf->AppendRow(QString(), QString());

    QToolButton *bitBtn1 = MakeActionButton(ActionHtmlMake, page);
    bitBtn1->setObjectName(QStringLiteral("BitBtn1"));

    auto *grid = new QGridLayout(page);
    grid->addWidget(label3, 0, 0);
    grid->addWidget(ComboBoxHtmlTemplate, 1, 0);
    grid->addWidget(speedButton11, 1, 1);
    grid->addWidget(LabelHtmlKind, 2, 0, 1, 2);
    grid->addWidget(EditHtmlConf, 3, 0, 1, 2);
    grid->addWidget(bitBtn1, 4, 0, 1, 2, Qt::AlignRight);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(3, 1);

    QWidget::setTabOrder(ComboBoxHtmlTemplate, speedButton11);
    QWidget::setTabOrder(speedButton11, EditHtmlConf);
    QWidget::setTabOrder(EditHtmlConf, bitBtn1);

    connect(ComboBoxHtmlTemplate, &QComboBox::activated, this,
            [this] { RunGuarded(this, [this] { ComboBoxHtmlTemplateChange(); }); });
    connect(EditHtmlConf, &QTableWidget::itemChanged, this, [this] {
        if (!FFilling)
            SetModified(true);
    });
    return page;
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (FInitializeScheduled)
        return;
    FInitializeScheduled = true;
    QTimer::singleShot(0, this, [this] {
        RunGuarded(this, [this] { InitializeOnIdle(); });
        FInitialized = true;
        Q_EMIT Initialized();
    });
}

void TFormMain::InitializeOnIdle()
{
    TFillingScope filling(FFilling);
    TAppConfig::GetInstance().Load(TAppConfig::GetIniFileName());

    FBlogConfigManager.Load();
    ComboBoxBlogType->clear();
    for (const TBlogConfig &config : FBlogConfigManager.GetBlogConfigs())
        ComboBoxBlogType->addItem(config.GetName());
    if (ComboBoxBlogType->count() > 0) {
        ComboBoxBlogType->setCurrentIndex(0);
        ComboBoxBlogTypeChange();
    }

    FTemplateManager.Load();
    ComboBoxHtmlTemplate->clear();
    for (const THtmlTemplate &htmlTemplate : FTemplateManager.GetTemplates())
        ComboBoxHtmlTemplate->addItem(TemplateListText(htmlTemplate));
    if (ComboBoxHtmlTemplate->count() > 0) {
        ComboBoxHtmlTemplate->setCurrentIndex(0);
        FillHtmlConf();
    }

    ActionFileNewExecute();
    OfferRecovery();
    if (!FStartFile.isEmpty()) {
        const QString file = FStartFile;
        FStartFile.clear();
        RunGuarded(this, [this, &file] { OpenProjectFile(file); });
    }
    // The blog's URL is what a new project needs first.
    PageControl1->setCurrentIndex(0);
    EditEntryUrl->setFocus();
    // The first start shows how to go from a URL to a table of contents.
    const QString guideShownKey = QStringLiteral("FormMain/StartGuideShown");
    if (TWindowState::Read(guideShownKey).isEmpty()) {
        TWindowState::Write(guideShownKey, QByteArrayLiteral("1"));
        // Beside the window, which keeps the focus on the URL.
        ShowGuide(QStringLiteral("はじめに"), QStringLiteral("qrc:/help/start.html"), false);
    }
}

TProjectSession &TFormMain::Session()
{
    if (!FSession)
        throw EVarnokiError(QStringLiteral("プロジェクトが開かれていません。"));
    return *FSession;
}

TLdbDb &TFormMain::Db()
{
    return Session().Db();
}

void TFormMain::SetModified(bool modified)
{
    if (FModified == modified)
        return;
    FModified = modified;
    UpdateCaption();
}

void TFormMain::SetCaption(const QString &fileName)
{
    FCaptionFileName = fileName;
    UpdateCaption();
}

void TFormMain::UpdateCaption()
{
    QString caption = GetApplicationTitle();
    if (!FCaptionFileName.isEmpty())
        caption += QStringLiteral(" - ") + QFileInfo(FCaptionFileName).fileName();
    setWindowTitle(FModified ? QLatin1Char('*') + caption : caption);
}

bool TFormMain::ConfirmDiscardChanges()
{
    if (!FModified)
        return true;
    switch (TMessageBox::AskSaveChanges(this)) {
    case QMessageBox::Save:
        ActionFileSaveExecute();
        return !FModified;
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

QString TFormMain::ProjectFolder() const
{
    if (FSession && !FSession->Project().GetFileName().isEmpty())
        return QFileInfo(FSession->Project().GetFileName()).absolutePath();
    // Else where the user last was: a dialog of this run, or the latest project.
    if (!TFileDialog::LastDirectory().isEmpty())
        return TFileDialog::LastDirectory();
    const QStringList recent = RecentFiles();
    if (!recent.isEmpty() && QFileInfo(recent.first()).absoluteDir().exists())
        return QFileInfo(recent.first()).absolutePath();
    return QDir::homePath();
}

namespace {
const QString RecentFilesKey = QStringLiteral("FormMain/RecentFiles");
constexpr int MaxRecentFiles = 8;
} // namespace

QStringList TFormMain::RecentFiles()
{
    return QString::fromUtf8(TWindowState::Read(RecentFilesKey)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TFormMain::RememberRecentFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    QStringList files = RecentFiles();
    const QString path = QFileInfo(fileName).absoluteFilePath();
    files.removeAll(path);
    files.prepend(path);
    TWindowState::Write(RecentFilesKey, files.mid(0, MaxRecentFiles).join(QLatin1Char('\n')).toUtf8());
    // A disabled submenu never asks to be filled, so it is filled here; later, as the
    // file may have been opened from one of the menu's own items.
    QTimer::singleShot(0, this, [this] { FillRecentFilesMenu(); });
}

void TFormMain::FillRecentFilesMenu()
{
    MenuRecentFiles->clear();
    const QStringList files = RecentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files.at(i);
        QString shown = QDir::toNativeSeparators(file);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action = MenuRecentFiles->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        action->setObjectName(QStringLiteral("ActionRecentFile%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, file] { RunGuarded(this, [this, &file] { OpenProjectFile(file); }); });
    }
    MenuRecentFiles->setEnabled(!files.isEmpty());
}

void TFormMain::ActionFileNewExecute()
{
    if (!ConfirmDiscardChanges())
        return;
    Session().CreateNew();
    ShowProject(Session().Project());
    SetCaption(Session().Project().GetFileName());
    SetModified(false);
    PageControl1->setCurrentIndex(0);
}

void TFormMain::ActionFileOpenExecute()
{
    if (!ConfirmDiscardChanges())
        return;
    const QString fileName = TFileDialog::GetOpenFileName(this, ProjectFolder(), ProjectFilter);
    if (!fileName.isEmpty())
        OpenProjectFile(fileName, false);
}

void TFormMain::OpenProjectFile(const QString &fileName, bool askFirst)
{
    if (askFirst && !ConfirmDiscardChanges())
        return;
    if (!QFileInfo(fileName).isFile()) {
        // A recent file that has gone leaves the list.
        QStringList files = RecentFiles();
        if (files.removeAll(QFileInfo(fileName).absoluteFilePath()) > 0) {
            TWindowState::Write(RecentFilesKey, files.join(QLatin1Char('\n')).toUtf8());
            QTimer::singleShot(0, this, [this] { FillRecentFilesMenu(); });
        }
        throw EVarnokiError(QStringLiteral("プロジェクトファイルが見つかりません: ") + QDir::toNativeSeparators(fileName));
    }
    const TWaitCursor wait;
    Session().Open(fileName);
    ShowProject(Session().Project());
    SetCaption(Session().Project().GetFileName());
    SetModified(false);
    PageControl1->setCurrentIndex(0);
    RememberRecentFile(fileName);
}

void TFormMain::ActionFileSaveExecute()
{
    if (Session().Project().GetFileName().isEmpty()) {
        ActionFileSaveAsExecute();
        return;
    }
    const TWaitCursor wait;
    TProject project = Session().Project();
    GatherProject(project);
    Session().Save(project);
    SetCaption(Session().Project().GetFileName());
    SetModified(false);
}

void TFormMain::ActionFileSaveAsExecute()
{
    const QString fileName = TFileDialog::GetSaveFileName(this, ProjectFolder(), ProjectFilter,
                                                          QStringLiteral("FDB"));
    if (fileName.isEmpty())
        return;
    const TWaitCursor wait;
    // Saved into a fresh model, which replaces the project's only once the file is
    // written: a failed save keeps the project's file name.
    TProject project = Session().Project();
    GatherProject(project);
    Session().Save(project, fileName);
    SetCaption(Session().Project().GetFileName());
    SetModified(false);
    RememberRecentFile(Session().Project().GetFileName());
}

void TFormMain::BringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void TFormMain::ActionFileCloseExecute()
{
    close();
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    bool proceed = false;
    RunGuarded(this, [this, &proceed] { proceed = ConfirmDiscardChanges(); });
    if (!proceed) {
        event->ignore();
        return;
    }
    SaveWindowState();
    FormClose();
    event->accept();
}

void TFormMain::FormClose()
{
    // A page being written is let finish (template programs take a second or so).
    for (const auto &run : FTemplateRuns)
        run->Wait(10000, {});
    FTemplateRuns.clear();
    // The database object removes its working copy, unless it keeps it for recovery.
    FSession.reset();
}

void TFormMain::KeepWorkAndQuit()
{
    const auto keepWork = [this] {
        RunGuarded(nullptr, [this] {
            if (FSession && (FModified || FSession->Db().HasUnsavedChanges())) {
                // Settings typed since the last save live in the widgets until now.
                TProject project = FSession->Project();
                GatherProject(project);
                FSession->KeepForRecovery(project);
            }
        });
    };
    // A download, the making of the page or a dialog runs a loop of its own above this
    // one and still uses the project: it is cancelled, and the work kept once it has
    // returned. One that does not return within a few seconds is not waited for.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        if (!FQuitTimer.isValid())
            FQuitTimer.start();
        if (FQuitTimer.elapsed() < 3000) {
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
            QTimer::singleShot(20, this, &TFormMain::KeepWorkAndQuit);
            return;
        }
        keepWork();
        std::fflush(nullptr);
        ::_exit(0);
    }
    keepWork();
    FormClose();
    QCoreApplication::exit(0);
}

void TFormMain::OfferRecovery()
{
    for (const TUnsavedWork &work : FindUnsavedWork()) {
        const QString project = work.ProjectFileName.isEmpty()
                                    ? QStringLiteral("（保存されていない新規プロジェクト）")
                                    : QDir::toNativeSeparators(work.ProjectFileName);
        const QString text =
            QStringLiteral("前回、保存されずに終了したプロジェクトがあります。復元しますか？\n\n%1\n%2")
                .arg(project, QLocale::system().toString(work.LastChange, QLocale::ShortFormat));
        const QMessageBox::StandardButton answer = TMessageBox::AskRestore(this, text);
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::No) {
            DiscardUnsavedWork(work);
            continue;
        }
        Session().Restore(work);
        ShowProject(Session().Project());
        SetCaption(work.ProjectFileName);
        SetModified(true);
        // One at a time: the others are offered at the next start.
        return;
    }
}

void TFormMain::RestoreWindowState()
{
    QList<int> widths = TWindowState::ReadIntegers(GridColumnsKey);
    if (widths.size() != 4) {
        // The designed widths, widened where the font would cut off a header or a date.
        // The URL is narrow (elided in the middle, whole in its tool tip).
        widths = {110, 70, 180, 80};
        const QFontMetrics header = GridComment->horizontalHeader()->fontMetrics();
        for (int column = 0; column < 4; ++column) {
            const QString title = FCommentModel->headerData(column, Qt::Horizontal).toString();
            widths[column] = qMax(widths[column], header.horizontalAdvance(title) + 16);
        }
        widths[1] = qMax(widths[1], GridComment->fontMetrics().horizontalAdvance(
                                        QStringLiteral("0000/00/00")) + 16);
    }
    for (int column = 0; column < 4; ++column)
        GridComment->setColumnWidth(column, qMax(10, widths.at(column)));

    if (restoreGeometry(TWindowState::Read(GeometryKey)))
        return;
    resize(691, 593);
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

void TFormMain::SaveWindowState()
{
    TWindowState::Write(GeometryKey, saveGeometry());
    QList<int> widths;
    for (int column = 0; column < 4; ++column)
        widths.append(GridComment->columnWidth(column));
    TWindowState::WriteIntegers(GridColumnsKey, widths);
}

void TFormMain::ShowProject(const TProject &project)
{
    TFillingScope filling(FFilling);

    int blogType = 0;
    for (int i = 0; i < ComboBoxBlogType->count(); ++i) {
        if (ComboBoxBlogType->itemText(i) == project.GetBlogTypeName()) {
            blogType = i;
            break;
        }
    }
    ComboBoxBlogType->setCurrentIndex(ComboBoxBlogType->count() > 0 ? blogType : -1);

    EditEntryUrl->setText(project.GetEntryUrl());

    ListViewCategory->clear();
    for (int i = 0; i < project.GetCategoryCount(); ++i) {
        const TCategoryData category = project.GetCategory(i);
        AddCategoryRow(category.GetName(), category.GetUrl());
    }

    const THtmlTemplateList templates = FTemplateManager.GetTemplates();
    for (int i = 0; i < templates.size(); ++i) {
        if (templates.at(i).GetName() == project.GetHtmlTemplateName()) {
            ComboBoxHtmlTemplate->setCurrentIndex(i);
            break;
        }
    }
    FOtherHtmlValues = project.GetOtherHtmlValues();
    if (ComboBoxHtmlTemplate->count() > 0)
        FillHtmlConf();
    const THtmlValues values = project.GetHtmlValues();
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!it.value().isEmpty())
            EditHtmlConf->SetValue(it.key(), it.value());
    }
}

void TFormMain::GatherProject(TProject &project)
{
    project.SetBlogTypeName(ComboBoxBlogType->currentText());
    project.SetEntryUrl(EditEntryUrl->text());
    project.ClearCategories();
    for (int i = 0; i < ListViewCategory->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = ListViewCategory->topLevelItem(i);
        project.AddCategory(item->text(0), item->text(1));
    }

    EditHtmlConf->CommitEdit();
    const int index = ComboBoxHtmlTemplate->currentIndex();
    const THtmlTemplateList templates = FTemplateManager.GetTemplates();
    const QString templateName = index >= 0 && index < templates.size() ? templates.at(index).GetName() : QString();
    project.SetHtmlTemplateName(templateName);
    THtmlValues values;
    for (int row = 0; row < EditHtmlConf->rowCount(); ++row) {
        const QString name = EditHtmlConf->GetName(row);
        values.insert(name, EditHtmlConf->GetValue(name));
    }
    project.SetHtmlValues(values);
    THtmlValuesByTemplate others = FOtherHtmlValues;
    others.remove(templateName);
    project.SetOtherHtmlValues(others);
}

void TFormMain::ComboBoxBlogTypeChange()
{
    if (ComboBoxBlogType->currentIndex() < 0) {
        ComboBoxBlogType->setStatusTip(QString());
        return;
    }
    ComboBoxBlogType->setStatusTip(GetSelectedBlogConfig().GetSimpleText());
}

TBlogConfig TFormMain::GetSelectedBlogConfig() const
{
    const int index = ComboBoxBlogType->currentIndex();
    const TBlogConfigList configs = FBlogConfigManager.GetBlogConfigs();
    if (index < 0 || index >= configs.size())
        throw EVarnokiError(QStringLiteral("ブログの種類が選択されていません。"));
    return configs.at(index);
}

void TFormMain::AddCategoryRow(const QString &name, const QString &url)
{
    ListViewCategory->addTopLevelItem(new QTreeWidgetItem(QStringList{name, url}));
}

void TFormMain::ActionInsertCategoryExecute()
{
    TFormCategory form(this);
    if (form.exec() != QDialog::Accepted)
        return;
    AddCategoryRow(form.EditName->text(), form.EditUrl->text());
    SetModified(true);
}

void TFormMain::ActionUpdateCategoryExecute()
{
    QTreeWidgetItem *item = ListViewCategory->currentItem();
    if (!item || !item->isSelected())
        return;
    TFormCategory form(this);
    form.EditName->setText(item->text(0));
    form.EditUrl->setText(item->text(1));
    if (form.exec() != QDialog::Accepted)
        return;
    item->setText(0, form.EditName->text());
    item->setText(1, form.EditUrl->text());
    SetModified(true);
}

void TFormMain::ActionDeleteCategoryExecute()
{
    QTreeWidgetItem *item = ListViewCategory->currentItem();
    if (!item || !item->isSelected())
        return;
    // Which category goes is said below the question.
    if (TMessageBox::Confirm(this, QStringLiteral("選択されているカテゴリを削除します。\nよろしいですか？")
                                       + QStringLiteral("\n\n「%1」\n%2").arg(item->text(0), item->text(1)))
        != QMessageBox::Ok)
        return;
    delete item;
    SetModified(true);
}

void TFormMain::ActionDownloadEntryExecute()
{
    // Running with no URL would only empty the entry table and fail.
    if (EditEntryUrl->text().trimmed().isEmpty())
        throw EVarnokiError(QStringLiteral("ブログのトップページのURLが入力されていません。"));
    TFormDownloadEntry form(this);
    form.SetBlogUrl(EditEntryUrl->text());
    form.SetDatabase(&Db());
    form.SetNewEntryOnly(CheckBoxDownloadNewEntryOnly->isChecked());
    form.SetBlogConfig(GetSelectedBlogConfig());
    form.exec();
    SetModified(true);
}

void TFormMain::ActionDownloadCategoryExecute()
{
    QList<TCategoryData> categories;
    for (int i = 0; i < ListViewCategory->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = ListViewCategory->topLevelItem(i);
        categories.append(TCategoryData{item->text(0).toUtf8(), item->text(1).toUtf8()});
    }
    TFormDownloadCategory form(this);
    form.SetCategories(categories);
    form.SetDatabase(&Db());
    form.SetBlogConfig(GetSelectedBlogConfig());
    form.exec();
    SetModified(true);
}

namespace {
// Fetches for the URL page's own requests: events keep running (the window repaints),
// and nothing is logged.
class TQuietFetchHost : public TDownloadHost
{
public:
    void AddLog(const QString &) override {}
    void ShowUrl(const QString &) override {}
    void ProcessMessages() override { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
    void Wait(int) override {}
    bool IsCancelled() override { return false; }
};

// The window waits for these fetches, so a server that does not answer is given up soon.
TFetchControl QuietFetchControl(TDownloadHost &host)
{
    TFetchControl control = MakeFetchControl(host);
    control.ConnectTimeoutMs = 15000;
    control.StallTimeoutMs = 15000;
    control.TotalTimeoutMs = 30000;
    return control;
}
} // namespace

void TFormMain::ActionDetectBlogTypeExecute()
{
    const QString url = EditEntryUrl->text().trimmed();
    if (url.isEmpty())
        throw EVarnokiError(QStringLiteral("ブログのトップページのURLが入力されていません。"));
    QList<TBlogDetection> detections;
    {
        const TWaitCursor wait;
        statusBar()->showMessage(QStringLiteral("トップページを取得しています: ") + url);
        TQuietFetchHost host;
        try {
            detections = FetchAndDetectBlogTypes(FBlogConfigManager.GetBlogConfigs(), url, QuietFetchControl(host));
        } catch (const EVarnokiError &error) {
            statusBar()->showMessage(error.Message());
            throw;
        }
    }
    const TBlogDetection *best = BestDetection(detections);
    if (!best) {
        statusBar()->showMessage(QStringLiteral("ブログの種類を判別できませんでした。一覧から選んでください。"));
        return;
    }
    const TBlogConfigList configs = FBlogConfigManager.GetBlogConfigs();
    for (int i = 0; i < configs.size(); ++i) {
        if (configs.at(i).GetIniPath() == best->Config.GetIniPath())
            ComboBoxBlogType->setCurrentIndex(i);
    }
    statusBar()->showMessage(DetectionText(*best));
}

void TFormMain::EditEntryUrlFinished()
{
    // Only where nothing was chosen yet: a saved project or one with entries keeps its type.
    const QString url = EditEntryUrl->text().trimmed();
    if (url.isEmpty() || url == FDetectedUrl || !FSession || !Session().Project().GetFileName().isEmpty()
        || Db().GetEntryCount(false) > 0)
        return;
    FDetectedUrl = url;
    try {
        ActionDetectBlogTypeExecute();
    } catch (const EVarnokiError &) {
        // Said in the status bar; leaving a box asks nothing.
    }
}

void TFormMain::ActionReadBlogCategoriesExecute()
{
    const QString url = EditEntryUrl->text().trimmed();
    if (url.isEmpty())
        throw EVarnokiError(QStringLiteral("ブログのトップページのURLが入力されていません。"));
    const TBlogConfig config = GetSelectedBlogConfig();
    QList<TCategoryData> found;
    {
        const TWaitCursor wait;
        statusBar()->showMessage(QStringLiteral("カテゴリーを読み込んでいます: ") + url);
        TQuietFetchHost host;
        try {
            found = ReadBlogCategories(config, url, QuietFetchControl(host));
        } catch (const EVarnokiError &) {
            statusBar()->clearMessage();
            throw;
        }
    }
    QList<TCategoryData> categories;
    for (int i = 0; i < ListViewCategory->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = ListViewCategory->topLevelItem(i);
        categories.append(TCategoryData{item->text(0).toUtf8(), item->text(1).toUtf8()});
    }
    const qsizetype before = categories.size();
    const int added = MergeCategories(categories, found);
    for (qsizetype i = before; i < categories.size(); ++i)
        AddCategoryRow(categories.at(i).GetName(), categories.at(i).GetUrl());
    if (added > 0)
        SetModified(true);
    statusBar()->showMessage(CategoriesAddedText(int(found.size()), added));
}

void TFormMain::ActionBlogTypeHelpExecute()
{
    TFormBlogTypeHelp form(this);
    form.SetBlogConfigs(FBlogConfigManager.GetBlogConfigs());
    form.SelectRow(ComboBoxBlogType->currentIndex());
    form.exec();
}

// The help of the page in front: the blog types' on the URL page, the comment page's
// own, the templates' on the HTML page.
void TFormMain::ActionHelpContentsExecute()
{
    if (PageControl1->currentWidget() == TabSheet1)
        ActionHtmlHelp->trigger();
    else if (PageControl1->currentWidget() == TabSheetComment)
        ShowGuide(QStringLiteral("コメントの設定のヘルプ"), QStringLiteral("qrc:/help/comment.html"));
    else
        ActionBlogTypeHelp->trigger();
}

void TFormMain::ActionHelpStartExecute()
{
    ShowGuide(QStringLiteral("はじめに"), QStringLiteral("qrc:/help/start.html"));
}

void TFormMain::ShowGuide(const QString &caption, const QString &page, bool activate)
{
    for (TFormGuide *open : findChildren<TFormGuide *>()) {
        if (open->GetPage() == QUrl(page)) {
            open->show();
            open->raise();
            open->activateWindow();
            return;
        }
    }
    auto *guide = new TFormGuide(this, caption, QUrl(page));
    guide->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    guide->show();
}

void TFormMain::PageControl1Change()
{
    FCommentModel->Clear();
    if (PageControl1->currentIndex() != 1)
        return;
    const TWaitCursor wait;
    const TEntryList entries = Db().LoadEntries();
    const TCategoryMap categories = Db().LoadCategories();
    FCommentModel->SetEntries(entries, categories);
    FCommentFilter->invalidate();
    ShowCommentCount();
}

void TFormMain::ShowCommentCount()
{
    const int total = FCommentFilter->TotalCount();
    const QLocale locale(QLocale::Japanese);
    LabelCommentCount->setText(FCommentFilter->ShownCount() == total
                                   ? QStringLiteral("%1 件").arg(locale.toString(total))
                                   : QStringLiteral("%1 / %2 件").arg(locale.toString(FCommentFilter->ShownCount()),
                                                                     locale.toString(total)));
}

int TFormMain::CurrentCommentEntry() const
{
    return FCommentFilter->EntryIndex(GridComment->currentIndex());
}

void TFormMain::SaveEntryComment(int row, const QString &comment)
{
    TEntry entry = FCommentModel->GetEntries().at(row);
    if (comment == entry.GetComment())
        return;
    // The database first: the grid must not show a comment that was not stored.
    entry.SetComment(comment);
    Db().SaveComment(entry);
    FCommentModel->SetComment(row, comment);
    SetModified(true);
}

void TFormMain::EditCommentInPlace()
{
    const int row = CurrentCommentEntry();
    if (row < 0)
        return;
    // A comment of several lines would lose its breaks in a one-line editor.
    if (FCommentModel->GetEntries().at(row).GetComment().contains(QLatin1Char('\n'))) {
        ActionCommentEdit->trigger();
        return;
    }
    const QModelIndex cell = GridComment->currentIndex().siblingAtColumn(TCommentGridModel::ColumnComment);
    GridComment->setCurrentIndex(cell);
    GridComment->edit(cell);
}

void TFormMain::ActionCommentEditExecute()
{
    TFormComment form(this);
    for (;;) {
        const int row = CurrentCommentEntry();
        if (row < 0)
            return;
        const TEntry entry = FCommentModel->GetEntries().at(row);
        const QModelIndex current = GridComment->currentIndex();
        form.SetEntry(entry.GetUrl(), entry.GetTitle(), entry.GetComment());
        form.SetNavigation(current.row() > 0, current.row() + 1 < FCommentFilter->rowCount());
        const int result = form.exec();
        if (result == QDialog::Rejected)
            return;
        SaveEntryComment(row, form.GetComment());
        if (result == QDialog::Accepted)
            return;
        const int next = current.row() + (result == TFormComment::ResultNext ? 1 : -1);
        GridComment->setCurrentIndex(current.siblingAtRow(next));
        GridComment->scrollTo(GridComment->currentIndex());
    }
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == GridComment->viewport())
        FitCommentColumns();
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::FitCommentColumns()
{
    // The comment, the point of the page, keeps at least two fifths of the width: the
    // URL (elided, whole in its tool tip) and the title give way, the date and the
    // categories keep what their text needs.
    const int available = GridComment->viewport()->width() * 3 / 5;
    int used = 0;
    for (int column = 0; column < TCommentGridModel::ColumnComment; ++column)
        used += GridComment->columnWidth(column);
    int excess = used - available;
    for (const int column : {int(TCommentGridModel::ColumnUrl), int(TCommentGridModel::ColumnTitle)}) {
        if (excess <= 0)
            return;
        const int minimum = column == TCommentGridModel::ColumnUrl ? 60 : 100;
        const int give = qMin(excess, GridComment->columnWidth(column) - minimum);
        if (give > 0) {
            GridComment->setColumnWidth(column, GridComment->columnWidth(column) - give);
            excess -= give;
        }
    }
}

void TFormMain::ActionCommentOpenUrlExecute()
{
    const int row = CurrentCommentEntry();
    if (row < 0)
        return;
    OpenUrlInBrowser(FCommentModel->GetEntries().at(row).GetUrl());
}

THtmlTemplate TFormMain::GetSelectedTemplate() const
{
    const int index = ComboBoxHtmlTemplate->currentIndex();
    const THtmlTemplateList templates = FTemplateManager.GetTemplates();
    if (index < 0 || index >= templates.size())
        throw EVarnokiError(QStringLiteral("HTMLテンプレートが選択されていません。"));
    return templates.at(index);
}

void TFormMain::FillHtmlConf()
{
    const THtmlTemplate htmlTemplate = GetSelectedTemplate();
    TFillingScope filling(FFilling);
    EditHtmlConf->setRowCount(0);
    for (const QString &name : htmlTemplate.GetConfigNames())
        EditHtmlConf->AppendRow(name, QString(), htmlTemplate.GetChoices(name), htmlTemplate.GetDefault(name));
    FTemplateIndex = ComboBoxHtmlTemplate->currentIndex();
}

void TFormMain::KeepHtmlValues()
{
    const THtmlTemplateList templates = FTemplateManager.GetTemplates();
    if (FTemplateIndex < 0 || FTemplateIndex >= templates.size())
        return;
    EditHtmlConf->CommitEdit();
    THtmlValues values;
    for (int row = 0; row < EditHtmlConf->rowCount(); ++row) {
        const QString name = EditHtmlConf->GetName(row);
        values.insert(name, EditHtmlConf->GetValue(name));
    }
    FOtherHtmlValues.insert(templates.at(FTemplateIndex).GetName(), values);
}

void TFormMain::ComboBoxHtmlTemplateChange()
{
    if (ComboBoxHtmlTemplate->currentIndex() == FTemplateIndex)
        return;
    // What was typed for the template left comes back when it is chosen again.
    KeepHtmlValues();
    FillHtmlConf();
    const THtmlValues kept = FOtherHtmlValues.value(GetSelectedTemplate().GetName());
    {
        TFillingScope filling(FFilling);
        for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
            if (!it.value().isEmpty())
                EditHtmlConf->SetValue(it.key(), it.value());
        }
    }
    SetModified(true);
}

void TFormMain::ActionHtmlMakeExecute()
{
    const THtmlTemplate htmlTemplate = GetSelectedTemplate();
    const QString htmlPath = TFileDialog::GetSaveFileName(this, ProjectFolder(), HtmlSaveFilter(htmlTemplate),
                                                          htmlTemplate.GetExt(),
                                                          SuggestedHtmlFileName(htmlTemplate));
    if (htmlPath.isEmpty())
        return;
    EditHtmlConf->CommitEdit();
    TFormMakingHtmlStatus form(this);
    form.SetDbPath(GetDbDir() + QStringLiteral("html.mdb"));
    form.SetValues(EditHtmlConf->GetStrings());
    form.SetDb(&Db());
    form.SetTemplate(&htmlTemplate);
    form.SetHtmlPath(htmlPath);
    form.exec();
    form.RethrowError();
    // The program writes the page on its own; its end is reported when it comes.
    std::unique_ptr<TTemplateRun> run = form.TakeRun();
    TTemplateRun *started = run.get();
    const THtmlTemplate::TKind kind = htmlTemplate.GetKind();
    run->OnFinished = [this, started, kind] {
        QTimer::singleShot(0, this, [this, started, kind] {
            RunGuarded(this, [this, started, kind] { TemplateRunFinished(started, kind); });
        });
    };
    FTemplateRuns.push_back(std::move(run));
}

QString TFormMain::SuggestedHtmlFileName(const THtmlTemplate &htmlTemplate)
{
    // The name the blog gave itself at the last download, else the project's, else
    // the blog's host.
    QString name = FileNameFromText(Db().GetConfig(QStringLiteral("blog_name")));
    if (name.isEmpty())
        name = FileNameFromText(QFileInfo(Session().Project().GetFileName()).completeBaseName());
    if (name.isEmpty())
        name = FileNameFromText(QUrl(EditEntryUrl->text().trimmed()).host());
    name = name.isEmpty() ? QStringLiteral("目次") : name + QStringLiteral("の目次");
    return name + QLatin1Char('.') + htmlTemplate.GetExt();
}

void TFormMain::TemplateRunFinished(TTemplateRun *run, THtmlTemplate::TKind kind)
{
    const auto found = std::find_if(FTemplateRuns.begin(), FTemplateRuns.end(),
                                    [run](const auto &item) { return item.get() == run; });
    if (found == FTemplateRuns.end())
        return;
    const std::unique_ptr<TTemplateRun> ended = std::move(*found);
    FTemplateRuns.erase(found);
    if (!ended->Succeeded()) {
        TMessageBox::ShowError(this, ended->Failure());
        return;
    }
    const QString html = ended->GetHtmlPath();
    const QString folder = QFileInfo(html).absolutePath();
    const QString shown = QDir::toNativeSeparators(html);
    if (kind == THtmlTemplate::TKind::Page) {
        // A page is looked at in the browser, or put on a server from its folder.
        const int choice = TMessageBox::Choose(
            this, QStringLiteral("HTMLファイルを作成しました。\n%1\n\nブラウザで開きますか？").arg(shown),
            {QStringLiteral("ブラウザで開く(&O)"), QStringLiteral("フォルダーを開く(&F)"), QStringLiteral("閉じる")}, 0);
        if (choice == 0)
            OpenUrlInBrowser(QUrl::fromLocalFile(html).toString());
        else if (choice == 1)
            OpenFolder(folder);
        return;
    }
    // A fragment or Markdown is pasted into a blog entry: its text is what counts.
    const QString what = kind == THtmlTemplate::TKind::Markdown ? QStringLiteral("Markdownファイル")
                                                                : QStringLiteral("HTML断片のファイル");
    const int choice = TMessageBox::Choose(
        this,
        QStringLiteral("%1を作成しました。\n%2\n\n"
                       "クリップボードにコピーして、ブログの記事の編集画面（HTML編集）に貼り付けてください。")
            .arg(what, shown),
        {QStringLiteral("クリップボードにコピー(&C)"), QStringLiteral("フォルダーを開く(&F)"),
         QStringLiteral("テキストエディターで開く(&E)"), QStringLiteral("閉じる")}, 0);
    if (choice == 0) {
        QFile file(html);
        if (!file.open(QIODevice::ReadOnly))
            throw EVarnokiError(QStringLiteral("作成したファイルを読み込めません: ") + shown);
        QApplication::clipboard()->setText(QString::fromUtf8(file.readAll()));
    } else if (choice == 1) {
        OpenFolder(folder);
    } else if (choice == 2) {
        OpenFileInTextEditor(html);
    }
}

void TFormMain::ActionHtmlHelpExecute()
{
    TFormHtmlTemplateHelp form(this);
    form.SetTemplates(FTemplateManager.GetTemplates());
    form.SelectRow(ComboBoxHtmlTemplate->currentIndex());
    form.exec();
}

void TFormMain::ActionConfigGeneralExecute()
{
    TAppConfig &config = TAppConfig::GetInstance();
    TFormConfigGeneral form(this, config);
    if (form.exec() == QDialog::Accepted)
        config.Save(TAppConfig::GetIniFileName());
}

void TFormMain::ActionHelpVersionExecute()
{
    TFormAboutBox form(this);
    form.exec();
}
