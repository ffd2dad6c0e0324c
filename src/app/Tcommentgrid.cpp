#include "app/Tcommentgrid.h"

#include "store/Tcommatext.h"

#include <QRegularExpression>

QString EntryDateText(TDateTime value)
{
    return DateTimeToQDateTime(value).toString(QStringLiteral("yyyy/MM/dd"));
}

QString SearchFolded(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

void TCommentGridModel::SetEntries(const TEntryList &entries, const TCategoryMap &categories)
{
    beginResetModel();
    FEntries = entries;
    FCategories = categories;
    FSearchTexts.clear();
    FSearchTexts.reserve(FEntries.size());
    for (int row = 0; row < FEntries.size(); ++row)
        FSearchTexts.append(MakeSearchText(row));
    endResetModel();
}

QString TCommentGridModel::MakeSearchText(int row) const
{
    QString text;
    for (const int column : {ColumnTitle, ColumnUrl, ColumnCategories, ColumnComment})
        text += CellText(row, column) + QLatin1Char('\n');
    return SearchFolded(text);
}

void TCommentGridModel::Clear()
{
    SetEntries({}, {});
}

void TCommentGridModel::SetComment(int index, const QString &comment)
{
    FEntries[index].SetComment(comment);
    FSearchTexts[index] = MakeSearchText(index);
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
        // Rows are one line high: a comment's line breaks show as a mark, the other
        // texts' as spaces. The tool tip shows the text as it is.
        if (role == Qt::DisplayRole) {
            const QString lineBreak = index.column() == ColumnComment ? QStringLiteral(" ↵ ") : QStringLiteral(" ");
            text.replace(QLatin1Char('\r'), QLatin1Char(' '));
            text.replace(QLatin1Char('\n'), lineBreak);
        }
        return text;
    }
    case Qt::EditRole:
        return CellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
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

Qt::ItemFlags TCommentGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ColumnComment && index.row() < FEntries.size())
        result |= Qt::ItemIsEditable;
    return result;
}

bool TCommentGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != ColumnComment
        || index.row() >= FEntries.size())
        return false;
    const QString comment = value.toString();
    if (comment == CellText(index.row(), ColumnComment))
        return false;
    // The database first: the grid must not show a comment that was not stored.
    if (!OnCommentEdited || !OnCommentEdited(index.row(), comment))
        return false;
    SetComment(index.row(), comment);
    return true;
}

void TCommentGridDelegate::initStyleOption(QStyleOptionViewItem *option,
                                           const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->features &= ~QStyleOptionViewItem::WrapText;
    option->textElideMode = index.column() == TCommentGridModel::ColumnUrl ? Qt::ElideMiddle : Qt::ElideRight;
}

TCommentFilterModel::TCommentFilterModel(TCommentGridModel *source, QObject *parent)
    : QSortFilterProxyModel(parent), FSource(source)
{
    setSourceModel(source);
    setDynamicSortFilter(false);
}

void TCommentFilterModel::SetFilterText(const QString &text)
{
    static const QRegularExpression spaces(QStringLiteral("\\s+"));
    const QStringList words = SearchFolded(text).split(spaces, Qt::SkipEmptyParts);
    if (words == FWords)
        return;
    FWords = words;
    invalidateFilter();
}

int TCommentFilterModel::EntryIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return -1;
    const int row = mapToSource(index).row();
    return row >= 0 && row < FSource->GetEntries().size() ? row : -1;
}

int TCommentFilterModel::ShownCount() const
{
    return FSource->GetEntries().isEmpty() ? 0 : rowCount();
}

int TCommentFilterModel::TotalCount() const
{
    return int(FSource->GetEntries().size());
}

bool TCommentFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    // The empty row that a page without entries shows stays.
    if (FWords.isEmpty() || sourceRow >= FSource->GetEntries().size())
        return true;
    const QString &text = FSource->SearchText(sourceRow);
    for (const QString &word : FWords) {
        if (!text.contains(word))
            return false;
    }
    return true;
}

bool TCommentFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const TEntryList &entries = FSource->GetEntries();
    if (left.row() >= entries.size() || right.row() >= entries.size())
        return left.row() < right.row();
    if (left.column() == TCommentGridModel::ColumnDate) {
        const TDateTime a = entries.at(left.row()).GetCreatedOn();
        const TDateTime b = entries.at(right.row()).GetCreatedOn();
        return a != b ? a < b : left.row() < right.row();
    }
    const int order = QString::localeAwareCompare(FSource->CellText(left.row(), left.column()),
                                                  FSource->CellText(right.row(), right.column()));
    return order != 0 ? order < 0 : left.row() < right.row();
}
