#include "app/Tvaluelisteditor.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace {

// A drop-down for the value cells that have choices, plain text editing for the rest.
// A stored value that is not among the choices is offered first, as it is, so that
// opening the drop-down never changes it.
class TChoiceDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override
    {
        const QStringList choices = index.data(TValueListEditor::ChoicesRole).toStringList();
        if (choices.isEmpty()) {
            QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
            if (auto *line = qobject_cast<QLineEdit *>(editor))
                line->setPlaceholderText(index.data(TValueListEditor::DefaultRole).toString());
            return editor;
        }
        auto *combo = new QComboBox(parent);
        combo->setEditable(false);
        combo->setObjectName(QStringLiteral("ValueChoices"));
        // A pick ends the edit at once, as a typed value ends with Enter.
        connect(combo, &QComboBox::activated, this, [this, combo] {
            auto *self = const_cast<TChoiceDelegate *>(this);
            Q_EMIT self->commitData(combo);
            Q_EMIT self->closeEditor(combo, QAbstractItemDelegate::NoHint);
        });
        return combo;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *combo = qobject_cast<QComboBox *>(editor);
        if (!combo) {
            QStyledItemDelegate::setEditorData(editor, index);
            return;
        }
        const QString value = index.data(Qt::EditRole).toString();
        QStringList items = index.data(TValueListEditor::ChoicesRole).toStringList();
        // An empty value opens on what it stands for; a blank line is offered only
        // where the choices allow empty.
        QString current = value;
        if (value.isEmpty() && !items.contains(value)) {
            current = index.data(TValueListEditor::DefaultRole).toString();
            if (!items.contains(current))
                current = items.value(0);
        } else if (!items.contains(value)) {
            items.prepend(value);
        }
        combo->clear();
        combo->addItems(items);
        combo->setCurrentIndex(int(items.indexOf(current)));
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QString defaultValue = index.data(TValueListEditor::DefaultRole).toString();
        if (defaultValue.isEmpty() || !index.data(Qt::DisplayRole).toString().isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // An empty value shows greyed what the template will use for it.
        QStyleOptionViewItem shown = option;
        initStyleOption(&shown, index);
        shown.text = defaultValue;
        shown.palette.setColor(QPalette::Text, option.palette.color(QPalette::PlaceholderText));
        shown.palette.setColor(QPalette::HighlightedText,
                               option.palette.color(QPalette::Disabled, QPalette::HighlightedText));
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &shown, painter, widget);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor))
            model->setData(index, combo->currentText(), Qt::EditRole);
        else
            QStyledItemDelegate::setModelData(editor, model, index);
    }
};

} // namespace

TValueListEditor::TValueListEditor(QWidget *parent)
    : QTableWidget(0, 2, parent)
{
    setHorizontalHeaderLabels({QStringLiteral("項目名"), QStringLiteral("値")});
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 150);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(false);
    setItemDelegateForColumn(1, new TChoiceDelegate(this));
}

void TValueListEditor::AppendRow(const QString &name, const QString &value,
                                 const QStringList &choices, const QString &defaultValue)
{
    const int row = rowCount();
    insertRow(row);
    auto *nameItem = new QTableWidgetItem(name);
    nameItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, 0, nameItem);
    auto *valueItem = new QTableWidgetItem(value);
    if (!choices.isEmpty())
        valueItem->setData(ChoicesRole, choices);
    if (!defaultValue.isEmpty()) {
        valueItem->setData(DefaultRole, defaultValue);
        valueItem->setToolTip(QStringLiteral("空のときは「%1」").arg(defaultValue));
    }
    setItem(row, 1, valueItem);
}

QStringList TValueListEditor::GetChoices(int row) const
{
    const QTableWidgetItem *cell = item(row, 1);
    return cell ? cell->data(ChoicesRole).toStringList() : QStringList();
}

void TValueListEditor::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // A click or a move onto a name goes on to the value beside it.
    if (current.isValid() && current.column() != 1) {
        setCurrentIndex(current.sibling(current.row(), 1));
        return;
    }
    QTableWidget::currentChanged(current, previous);
}

void TValueListEditor::focusInEvent(QFocusEvent *event)
{
    if (!currentIndex().isValid() && rowCount() > 0)
        setCurrentIndex(model()->index(0, 1));
    QTableWidget::focusInEvent(event);
}

QString TValueListEditor::GetName(int row) const
{
    const QTableWidgetItem *cell = item(row, 0);
    return cell ? cell->text() : QString();
}

QString TValueListEditor::GetValue(int row) const
{
    const QTableWidgetItem *cell = item(row, 1);
    return cell ? cell->text() : QString();
}

int TValueListEditor::FindRow(const QString &name) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (GetName(row).compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

QString TValueListEditor::GetValue(const QString &name) const
{
    const int row = FindRow(name);
    return row < 0 ? QString() : GetValue(row);
}

void TValueListEditor::SetValue(const QString &name, const QString &value)
{
    const int row = FindRow(name);
    if (row < 0)
        AppendRow(name, value);
    else
        item(row, 1)->setText(value);
}

QStringList TValueListEditor::GetStrings() const
{
    QStringList lines;
    for (int row = 0; row < rowCount(); ++row)
        lines.append(GetName(row) + QLatin1Char('=') + GetValue(row));
    return lines;
}

void TValueListEditor::CommitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}
