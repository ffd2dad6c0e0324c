#include "app/Tcommentgrid.h"

#include "store/Tcommatext.h"

QString EntryDateText(TDateTime value)
{
    return DateTimeToQDateTime(value).toString(QStringLiteral("yyyy/MM/dd"));
}

void TCommentGridModel::SetEntries(const TEntryList &entries, const TCategoryMap &categories)
{
    beginResetModel();
    FEntries = entries;
    FCategories = categories;
    endResetModel();
}

void TCommentGridModel::Clear()
{
    SetEntries({}, {});
}

void TCommentGridModel::SetComment(int index, const QString &comment)
{
    FEntries[index].SetComment(comment);
    Q_EMIT dataChanged(this->index(index, ColumnComment), this->index(index, ColumnComment));
}

int TCommentGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return FEntries.isEmpty() ? 1 : int(FEntries.size());
}

int TCommentGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TCommentGridModel::CellText(int row, int column) const
{
    if (row < 0 || row >= FEntries.size())
        return QString();
    const TEntry &entry = FEntries.at(row);
    switch (column) {
    case ColumnUrl: return entry.GetUrl();
    case ColumnDate: return EntryDateText(entry.GetCreatedOn());
    case ColumnTitle: return entry.GetTitle();
    case ColumnCategories: return CategoryCommaText(entry, FCategories);
    case ColumnComment: {
        QString comment = entry.GetComment();
        return comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    default: return QString();
    }
}

QVariant TCommentGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        QString text = CellText(index.row(), index.column());
        if (text.isEmpty())
            return QVariant();
        // Only the comment column breaks lines; the others show one line as it is.
        if (role == Qt::DisplayRole && index.column() != ColumnComment) {
            text.replace(QLatin1Char('\r'), QLatin1Char(' '));
            text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        return text;
    }
    case Qt::TextAlignmentRole:
        if (index.column() == ColumnComment)
            return int(Qt::AlignLeft | Qt::AlignTop);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return QVariant();
    }
}

QVariant TCommentGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ColumnUrl: return QStringLiteral("URL");
    case ColumnDate: return QStringLiteral("日付");
    case ColumnTitle: return QStringLiteral("タイトル");
    case ColumnCategories: return QStringLiteral("カテゴリー");
    case ColumnComment: return QStringLiteral("コメント");
    default: return QVariant();
    }
}

void TCommentGridDelegate::initStyleOption(QStyleOptionViewItem *option,
                                           const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == TCommentGridModel::ColumnComment)
        option->features |= QStyleOptionViewItem::WrapText;
    else
        option->features &= ~QStyleOptionViewItem::WrapText;
    option->textElideMode = Qt::ElideRight;
}
