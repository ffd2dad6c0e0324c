#include "app/UnitFormMakingHtmlStatus.h"

#include "app/Tguiutility.h"
#include "output/Tmakehtml.h"

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

TFormMakingHtmlStatus::TFormMakingHtmlStatus(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FormMakingHtmlStatus"));
    setWindowTitle(QStringLiteral("ファイルを作成しています。"));
    Label1 = new QLabel(QStringLiteral("ファイルを作成しています。"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    auto *frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(Label1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);
    resize(318, 88);
}

TFormMakingHtmlStatus::~TFormMakingHtmlStatus() = default;

void TFormMakingHtmlStatus::RethrowError() const
{
    if (FError)
        std::rethrow_exception(FError);
}

void TFormMakingHtmlStatus::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FStarted)
        return;
    FStarted = true;
    QTimer::singleShot(0, this, &TFormMakingHtmlStatus::MakeOnIdle);
}

void TFormMakingHtmlStatus::MakeOnIdle()
{
    {
        const TWaitCursor wait;
        try {
            FRun = MakeHtml(*FDb, FDbPath, FValues, *FTemplate, FHtmlPath);
        } catch (...) {
            FError = std::current_exception();
        }
    }
    accept();
}
