#pragma once

#include <QStringList>
#include <QTableWidget>

// A two-column grid of item names and their values: names are fixed, values are
// edited in place, from a drop-down for items with choices. The current cell is always
// a value cell, so keystrokes never go to a name. Looking a name up ignores letter
// case and takes the first match.
class TValueListEditor : public QTableWidget
{
    Q_OBJECT

public:
    explicit TValueListEditor(QWidget *parent);

    // choices: the values the drop-down offers; empty means free text. An empty
    // choice among them lets the value be empty. defaultValue: what an empty value
    // stands for, shown greyed in its place.
    void AppendRow(const QString &name, const QString &value,
                   const QStringList &choices = QStringList(),
                   const QString &defaultValue = QString());
    QStringList GetChoices(int row) const;
    QString GetName(int row) const;
    QString GetValue(int row) const;
    // The value of the first row of that name; empty when there is none.
    QString GetValue(const QString &name) const;
    // Sets the value of the first row of that name, or appends a row when none has it.
    void SetValue(const QString &name, const QString &value);
    // "name=value" for every row, in row order.
    QStringList GetStrings() const;

    // Ends an edit in progress, keeping what was typed, so that a save or a make
    // started from the keyboard sees it.
    void CommitEdit();

    // The data role of a value cell that holds its choices.
    static constexpr int ChoicesRole = Qt::UserRole + 1;
    // The data role of a value cell that holds its default.
    static constexpr int DefaultRole = Qt::UserRole + 2;

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    int FindRow(const QString &name) const;
};
