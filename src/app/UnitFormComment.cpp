#include "app/UnitFormComment.h"

#include "app/Tguiutility.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
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

    // Going through the entries one after another keeps what was written, as OK does.
    ButtonPrevious = new QPushButton(QStringLiteral("前へ(&P)"), this);
    ButtonPrevious->setObjectName(QStringLiteral("ButtonPrevious"));
    ButtonPrevious->setAutoDefault(false);
    ButtonPrevious->setToolTip(QStringLiteral("保存して前の記事へ (Ctrl+PageUp)"));
    ButtonNext = new QPushButton(QStringLiteral("次へ(&N)"), this);
    ButtonNext->setObjectName(QStringLiteral("ButtonNext"));
    ButtonNext->setAutoDefault(false);
    ButtonNext->setToolTip(QStringLiteral("保存して次の記事へ (Ctrl+PageDown)"));
    connect(ButtonPrevious, &QPushButton::clicked, this, [this] { done(ResultPrevious); });
    connect(ButtonNext, &QPushButton::clicked, this, [this] { done(ResultNext); });
    LabelHint = new QLabel(QStringLiteral("Enter で改行、Ctrl+Enter で確定"), this);
    LabelHint->setObjectName(QStringLiteral("LabelHint"));
    LabelHint->setForegroundRole(QPalette::PlaceholderText);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(ButtonPrevious);
    bottom->addWidget(ButtonNext);
    bottom->addSpacing(8);
    bottom->addWidget(LabelHint, 1);
    bottom->addWidget(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabelUrl);
    layout->addWidget(LabelTitle);
    layout->addWidget(Label1);
    layout->addWidget(MemoComment, 1);
    layout->addLayout(bottom);

    setTabOrder(MemoComment, BitBtn1);
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, ButtonPrevious);
    setTabOrder(ButtonPrevious, ButtonNext);
    const std::pair<QKeyCombination, QPushButton *> moves[] = {
        {QKeyCombination(Qt::CTRL | Qt::Key_PageUp), ButtonPrevious},
        {QKeyCombination(Qt::CTRL | Qt::Key_PageDown), ButtonNext},
    };
    for (const auto &[key, button] : moves) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }

    // Enter makes a new line in the comment; Ctrl+Enter confirms from anywhere.
    for (const QKeyCombination key : {QKeyCombination(Qt::CTRL | Qt::Key_Return), QKeyCombination(Qt::CTRL | Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &QDialog::accept);
    }
    BitBtn1->setToolTip(QStringLiteral("Ctrl+Enter"));
    SetNavigation(false, false);
}

void TFormComment::SetNavigation(bool previous, bool next)
{
    ButtonPrevious->setEnabled(previous);
    ButtonNext->setEnabled(next);
}

void TFormComment::SetEntry(const QString &url, const QString &title, const QString &comment)
{
    FUrl = url;
    LabelUrl->setText(QStringLiteral("<a href=\"#\">") + url.toHtmlEscaped() + QStringLiteral("</a>"));
    LabelUrl->setToolTip(url);
    LabelTitle->setText(title);
    QString text = comment;
    MemoComment->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    MemoComment->setFocus();
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
