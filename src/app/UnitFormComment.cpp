#include "app/UnitFormComment.h"

#include "app/Tguiutility.h"

#include <QDialogButtonBox>
#include <QShortcut>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormComment::TFormComment(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormComment"));
    setWindowTitle(QStringLiteral("コメントの編集"));
    resize(426, 293);

    LabelUrl = new QLabel(this);
    LabelUrl->setObjectName(QStringLiteral("LabelUrl"));
    LabelUrl->setTextFormat(Qt::RichText);
    LabelUrl->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    LabelUrl->setCursor(Qt::PointingHandCursor);
    LabelUrl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(LabelUrl, &QLabel::linkActivated, this, [this] { LabelUrlClick(); });

    LabelTitle = new QLabel(this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setTextFormat(Qt::PlainText);
    LabelTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    MemoComment = new QPlainTextEdit(this);
    MemoComment->setObjectName(QStringLiteral("MemoComment"));
    MemoComment->setTabChangesFocus(true);
    Label1 = new QLabel(QStringLiteral("コメント(&C)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(MemoComment);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("キャンセル"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(BitBtn1, QDialogButtonBox::AcceptRole);
    buttons->addButton(BitBtn2, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabelUrl);
    layout->addWidget(LabelTitle);
    layout->addWidget(Label1);
    layout->addWidget(MemoComment, 1);
    layout->addWidget(buttons);

    setTabOrder(MemoComment, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);

    // Enter makes a new line in the comment; Ctrl+Enter confirms from anywhere.
    for (const QKeyCombination key : {QKeyCombination(Qt::CTRL | Qt::Key_Return), QKeyCombination(Qt::CTRL | Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &QDialog::accept);
    }
    BitBtn1->setToolTip(QStringLiteral("Ctrl+Enter"));
}

void TFormComment::SetEntry(const QString &url, const QString &title, const QString &comment)
{
    FUrl = url;
    LabelUrl->setText(QStringLiteral("<a href=\"#\">") + url.toHtmlEscaped() + QStringLiteral("</a>"));
    LabelUrl->setToolTip(url);
    LabelTitle->setText(title);
    QString text = comment;
    MemoComment->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

QString TFormComment::GetComment() const
{
    return MemoComment->toPlainText();
}

void TFormComment::LabelUrlClick()
{
    OpenUrlInBrowser(FUrl);
}

void TFormComment::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    MemoComment->setFocus();
}
