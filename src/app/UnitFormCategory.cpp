#include "app/UnitFormCategory.h"

#include "app/Tmessagebox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormCategory::TFormCategory(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormCategory"));
    setWindowTitle(QStringLiteral("カテゴリの編集"));

    EditName = new QLineEdit(this);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditUrl = new QLineEdit(this);
    EditUrl->setObjectName(QStringLiteral("EditUrl"));
    EditUrl->setAttribute(Qt::WA_InputMethodEnabled, false);
    EditUrl->setMinimumWidth(320);

    auto *form = new QFormLayout;
    auto *labelName = new QLabel(QStringLiteral("カテゴリ名(&N)"), this);
    labelName->setBuddy(EditName);
    auto *labelUrl = new QLabel(QStringLiteral("URL(&U)"), this);
    labelUrl->setBuddy(EditUrl);
    form->addRow(labelName, EditName);
    form->addRow(labelUrl, EditUrl);

    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    BtnOk->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("キャンセル"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(BtnOk, QDialogButtonBox::AcceptRole);
    buttons->addButton(BitBtn2, QDialogButtonBox::RejectRole);
    connect(BtnOk, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { BtnOkClick(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(EditName, EditUrl);
    setTabOrder(EditUrl, BtnOk);
    setTabOrder(BtnOk, BitBtn2);
    EditName->setFocus();
}

void TFormCategory::BtnOkClick()
{
    if (EditName->text().isEmpty()) {
        TMessageBox::Confirm(this, QStringLiteral("カテゴリ名が入力されていません。"));
        EditName->setFocus();
        return;
    }
    if (EditUrl->text().isEmpty()) {
        TMessageBox::Confirm(this, QStringLiteral("URLが入力されていません。"));
        EditUrl->setFocus();
        return;
    }
    accept();
}
