#include "app/Tvaluelisteditor.h"

#include <QHeaderView>

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
}

void TValueListEditor::AppendRow(const QString &name, const QString &value)
{
    const int row = rowCount();
    insertRow(row);
    auto *nameItem = new QTableWidgetItem(name);
    nameItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, 0, nameItem);
    setItem(row, 1, new QTableWidgetItem(value));
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
