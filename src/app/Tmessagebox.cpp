#include "app/Tmessagebox.h"

#include "platform/Tapptitle.h"
#include "platform/Varnokierror.h"

#include <QPushButton>
#include <QQueue>

namespace {
struct TTestAnswers
{
    bool On = false;
    QQueue<QMessageBox::StandardButton> Answers;
    QQueue<int> Choices;
    QStringList Shown;
};

TTestAnswers &Test()
{
    static TTestAnswers answers;
    return answers;
}
} // namespace

void TMessageBox::SetTestMode(bool on)
{
    Test().On = on;
    Test().Answers.clear();
    Test().Choices.clear();
    Test().Shown.clear();
}

void TMessageBox::SetNextAnswer(QMessageBox::StandardButton answer)
{
    Test().Answers.enqueue(answer);
}

void TMessageBox::SetNextChoice(int index)
{
    Test().Choices.enqueue(index);
}

int TMessageBox::Choose(QWidget *parent, const QString &text, const QStringList &captions,
                        int defaultIndex)
{
    if (Test().On) {
        Test().Shown.append(text);
        return Test().Choices.isEmpty() ? -1 : Test().Choices.dequeue();
    }
    QMessageBox box(QMessageBox::Information, GetApplicationTitle(), text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> buttons;
    for (int i = 0; i < captions.size(); ++i) {
        // The last caption closes the box, so Escape answers as it does.
        const QMessageBox::ButtonRole role = i + 1 == captions.size() ? QMessageBox::RejectRole
                                                                       : QMessageBox::ActionRole;
        buttons.append(box.addButton(captions.at(i), role));
    }
    if (defaultIndex >= 0 && defaultIndex < buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.at(defaultIndex)));
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

QStringList TMessageBox::TakeShownTexts()
{
    return std::exchange(Test().Shown, QStringList());
}

QMessageBox::StandardButton TMessageBox::Show(QWidget *parent, QMessageBox::Icon icon,
                                              const QString &title, const QString &text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    if (Test().On) {
        Test().Shown.append(text);
        if (!Test().Answers.isEmpty())
            return Test().Answers.dequeue();
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::NoButton;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    // The platform's buttons may be untranslated; these are the program's words.
    const std::pair<QMessageBox::StandardButton, const char16_t *> captions[] = {
        {QMessageBox::Ok, u"OK"},
        {QMessageBox::Save, u"保存する(&S)"},
        {QMessageBox::Discard, u"保存しない(&N)"},
        {QMessageBox::Cancel, u"キャンセル"},
        {QMessageBox::Yes, u"復元する(&R)"},
        {QMessageBox::No, u"破棄する(&D)"},
        {QMessageBox::Close, u"閉じる"},
        {QMessageBox::Apply, u"置き換える(&R)"},
    };
    for (const auto &[button, caption] : captions) {
        if (QAbstractButton *b = box.button(button))
            b->setText(QString::fromUtf16(caption));
    }
    if (buttons == QMessageBox::Ok) {
        // Escape or the close control must not count as OK: a hidden Cancel answers them.
        QAbstractButton *dismiss = box.addButton(QMessageBox::Cancel);
        dismiss->hide();
        box.setEscapeButton(dismiss);
    }
    box.exec();
    return box.standardButton(box.clickedButton());
}

QMessageBox::StandardButton TMessageBox::AskReplace(QWidget *parent, const QString &text)
{
    return Show(parent, QMessageBox::Warning, QStringLiteral("確認"), text,
                QMessageBox::Apply | QMessageBox::Cancel, QMessageBox::Cancel);
}


QMessageBox::StandardButton TMessageBox::AskRestore(QWidget *parent, const QString &text)
{
    return Show(parent, QMessageBox::Question, GetApplicationTitle(), text,
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
}

QMessageBox::StandardButton TMessageBox::Confirm(QWidget *parent, const QString &text)
{
    return Show(parent, QMessageBox::Question, QStringLiteral("確認"), text, QMessageBox::Ok,
                QMessageBox::Ok);
}

void TMessageBox::ShowError(QWidget *parent, const QString &text)
{
    Show(parent, QMessageBox::Critical, GetApplicationTitle(), text, QMessageBox::Ok,
         QMessageBox::Ok);
}

QMessageBox::StandardButton TMessageBox::AskSaveChanges(QWidget *parent)
{
    return Show(parent, QMessageBox::Warning, GetApplicationTitle(),
                QStringLiteral("変更を保存しますか？"),
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                QMessageBox::Save);
}

bool RunGuarded(QWidget *parent, const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const EVarnokiError &error) {
        TMessageBox::ShowError(parent, error.Message());
    } catch (const std::exception &error) {
        TMessageBox::ShowError(parent, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        TMessageBox::ShowError(parent, QStringLiteral("予期しないエラーが発生しました。"));
    }
    return false;
}
