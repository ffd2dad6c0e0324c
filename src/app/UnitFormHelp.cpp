#include "app/UnitFormHelp.h"

#include "app/Tmessagebox.h"
#include "app/Twindowstate.h"
#include "platform/Varnokierror.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

TFormHelp::TFormHelp(QWidget *parent, const QString &name, const QString &caption,
                     const QString &listCaption, const QStringList &columns)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(caption);
    resize(597, 423);

    auto *panel1 = new QWidget(this);
    Label1 = new QLabel(listCaption, panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    ListViewBlog = new QTreeWidget(panel1);
    ListViewBlog->setObjectName(QStringLiteral("ListViewBlog"));
    ListViewBlog->setRootIsDecorated(false);
    ListViewBlog->setHeaderLabels(columns);
    ListViewBlog->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewBlog->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewBlog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewBlog->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListViewBlog->header()->setStretchLastSection(true);
    Label1->setBuddy(ListViewBlog);
    auto *panel1Layout = new QVBoxLayout(panel1);
    panel1Layout->setContentsMargins(0, 0, 0, 0);
    panel1Layout->addWidget(Label1);
    panel1Layout->addWidget(ListViewBlog);

    WebBrowser1 = new QTextBrowser(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setOpenExternalLinks(true);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(panel1);
    Splitter1->addWidget(WebBrowser1);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({121, 260});

    BitBtn1 = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    ButtonRow = new QHBoxLayout;
    ButtonRow->addStretch();
    ButtonRow->addWidget(BitBtn1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Splitter1, 1);
    layout->addLayout(ButtonRow);

    const QByteArray state = TWindowState::Read(objectName() + QStringLiteral("/Splitter1"));
    if (!state.isEmpty())
        Splitter1->restoreState(state);

    // A click shows the document again even when the row stays the same; moving with
    // the keyboard shows each row's document as it is reached.
    connect(ListViewBlog, &QTreeWidget::itemClicked, this,
            [this] { RunGuarded(this, [this] { ListViewBlogClick(); }); });
    connect(ListViewBlog, &QTreeWidget::currentItemChanged, this,
            [this] { RunGuarded(this, [this] { ListViewBlogClick(); }); });
}

void TFormHelp::SetRows(const QList<QStringList> &rows, const QStringList &helpPaths)
{
    FHelpPaths = helpPaths;
    const QSignalBlocker blocker(ListViewBlog);
    ListViewBlog->clear();
    for (const QStringList &row : rows)
        ListViewBlog->addTopLevelItem(new QTreeWidgetItem(row));
    if (ListViewBlog->topLevelItemCount() > 0) {
        ListViewBlog->setCurrentItem(ListViewBlog->topLevelItem(0));
        ListViewBlogClick();
    }
}

void TFormHelp::SelectRow(int row)
{
    QTreeWidgetItem *item = ListViewBlog->topLevelItem(row);
    if (!item)
        return;
    const QSignalBlocker blocker(ListViewBlog);
    ListViewBlog->setCurrentItem(item);
    ListViewBlog->scrollToItem(item);
    ListViewBlogClick();
}

void TFormHelp::ListViewBlogClick()
{
    const int index = ListViewBlog->indexOfTopLevelItem(ListViewBlog->currentItem());
    if (index < 0 || index >= FHelpPaths.size())
        throw EVarnokiError(QStringLiteral("項目が選択されていません。"));
    ShowDocument(FHelpPaths.at(index));
}

void TFormHelp::ShowDocument(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        WebBrowser1->setPlainText(QStringLiteral("ヘルプファイルが見つかりません。\n") + path);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (WebBrowser1->source() == url)
        WebBrowser1->reload();
    else
        WebBrowser1->setSource(url);
}

void TFormHelp::done(int result)
{
    TWindowState::Write(objectName() + QStringLiteral("/Splitter1"), Splitter1->saveState());
    QDialog::done(result);
}
