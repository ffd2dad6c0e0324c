#pragma once

#include "store/Tcategory.h"
#include "store/Tentry.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>

// "yyyy/MM/dd"; the date-time 0 shows as 1899/12/30.
QString EntryDateText(TDateTime value);

// Text as the filters compare it: compatibility forms folded (full-width letters and
// digits, half-width kana), then case, as the list page's own filter does.
QString SearchFolded(const QString &text);

// The comment page's grid: URL, date, title, categories and comment of each entry,
// read from the loaded lists whenever a cell is painted. Without entries the grid
// shows one empty row.
class TCommentGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum TColumn { ColumnUrl, ColumnDate, ColumnTitle, ColumnCategories, ColumnComment, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void SetEntries(const TEntryList &entries, const TCategoryMap &categories);
    void Clear();
    const TEntryList &GetEntries() const { return FEntries; }
    void SetComment(int index, const QString &comment);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The comment cell is edited in place; the other cells are read only.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Stores an entry's new comment (the entry index and the text); false when it
    // could not, so the cell keeps the comment that is stored.
    std::function<bool(int, const QString &)> OnCommentEdited;

    QString CellText(int row, int column) const;
    // The entry's title, URL, categories and comment, folded for the filter.
    const QString &SearchText(int row) const { return FSearchTexts.at(row); }

private:
    QString MakeSearchText(int row) const;

    TEntryList FEntries;
    TCategoryMap FCategories;
    QStringList FSearchTexts;
};

// The comment page's rows as shown: those whose title, URL, categories or comment hold
// every word of the filter, in the order of the column the user sorts by (dates by
// time), or in the project's order.
class TCommentFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit TCommentFilterModel(TCommentGridModel *source, QObject *parent = nullptr);

    // Words separated by spaces of any width; empty text shows every row.
    void SetFilterText(const QString &text);
    // The entry index behind a shown row, or -1.
    int EntryIndex(const QModelIndex &index) const;
    // How many entries are shown, of how many.
    int ShownCount() const;
    int TotalCount() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    TCommentGridModel *FSource;
    QStringList FWords;
};

// Every cell on one line with an ellipsis, the URL's in the middle so that both its
// site and its last part show.
class TCommentGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
