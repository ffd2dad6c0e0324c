#pragma once

#include "store/Tcategory.h"
#include "store/Tentry.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>

// "yyyy/MM/dd"; the date-time 0 shows as 1899/12/30.
QString EntryDateText(TDateTime value);

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

    QString CellText(int row, int column) const;

private:
    TEntryList FEntries;
    TCategoryMap FCategories;
};

// Word-wraps the comment column; the other columns stay on one line with an ellipsis.
class TCommentGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
