#include "app/UnitFormDownload.h"

#include "app/Tfiledialog.h"
#include "app/Tmessagebox.h"
#include "platform/Varnokierror.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QSaveFile>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

TFormDownload::TFormDownload(QWidget *parent, const QString &name, const QString &caption)
    : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(caption);
    resize(538, 293);

    LabelUrl = new QLabel(QStringLiteral("URL"), this);
    LabelUrl->setObjectName(QStringLiteral("LabelUrl"));
    LabelUrl->setTextFormat(Qt::PlainText);
    // A long URL must not widen the window.
    LabelUrl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    BtnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnClose = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BtnClose->setEnabled(false);
    connect(BtnCancel, &QPushButton::clicked, this, &TFormDownload::BtnCancelClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    // While the job runs too: the log is what tells why a download went wrong.
    BtnCopyLog = new QPushButton(QStringLiteral("ログをコピー(&Y)"), this);
    BtnCopyLog->setObjectName(QStringLiteral("BtnCopyLog"));
    BtnSaveLog = new QPushButton(QStringLiteral("ログを保存(&L)..."), this);
    BtnSaveLog->setObjectName(QStringLiteral("BtnSaveLog"));
    BtnCopyLog->setAutoDefault(false);
    BtnSaveLog->setAutoDefault(false);
    connect(BtnCopyLog, &QPushButton::clicked, this, &TFormDownload::CopyLog);
    connect(BtnSaveLog, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { SaveLog(); }); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BtnCopyLog);
    buttons->addWidget(BtnSaveLog);
    buttons->addStretch();
    buttons->addWidget(BtnCancel);
    buttons->addWidget(BtnClose);

    FProgressLayout = new QVBoxLayout;
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabelUrl);
    layout->addWidget(Memo1, 1);
    layout->addLayout(FProgressLayout);
    layout->addLayout(buttons);
}

void TFormDownload::AddLog(const QString &line)
{
    Memo1->appendPlainText(line);
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TFormDownload::CopyLog()
{
    QApplication::clipboard()->setText(Memo1->toPlainText());
}

void TFormDownload::SaveLog()
{
    const QString fileName = TFileDialog::GetSaveFileName(
        this, QDir::homePath(), QStringLiteral("テキストファイル (*.txt);;すべてのファイル (*)"), QStringLiteral("txt"));
    if (fileName.isEmpty())
        return;
    QSaveFile file(fileName);
    const QByteArray text = Memo1->toPlainText().toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EVarnokiError(QStringLiteral("ログを保存できませんでした: ") + QDir::toNativeSeparators(fileName)
                            + QStringLiteral("\n") + file.errorString());
}

void TFormDownload::ShowUrl(const QString &url)
{
    LabelUrl->setText(url);
    LabelUrl->setToolTip(url);
}

void TFormDownload::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TFormDownload::Wait(int milliseconds)
{
    ProcessMessages();
    if (milliseconds <= 0 || FCancel)
        return;
    QEventLoop loop;
    FWaitLoop = &loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    FWaitLoop = nullptr;
}

void TFormDownload::BtnCancelClick()
{
    if (!FRunning) {
        QDialog::reject();
        return;
    }
    FCancel = true;
    FCloseWhenDone = true;
    BtnCancel->setEnabled(false);
    if (FWaitLoop)
        FWaitLoop->quit();
}

void TFormDownload::reject()
{
    BtnCancelClick();
}

void TFormDownload::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (FStarted)
        return;
    FStarted = true;
    QTimer::singleShot(0, this, &TFormDownload::RunDownload);
}

void TFormDownload::RunDownload()
{
    FRunning = true;
    BtnCancel->setFocus();
    // The job logs its own errors; what escapes it (the first table change) is shown
    // like any other error.
    RunGuarded(this, [this] { RunJob(); });
    FRunning = false;
    FFinished = true;
    BtnCancel->setEnabled(false);
    BtnClose->setEnabled(true);
    BtnClose->setDefault(true);
    BtnClose->setFocus();
    Q_EMIT DownloadFinished();
    if (FCloseWhenDone)
        QDialog::reject();
}
