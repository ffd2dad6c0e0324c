#pragma once

#include <QDialog>
#include <QStringList>

#include <exception>
#include <memory>

class QLabel;
class THtmlTemplate;
#include "output/Tmakehtml.h"
class TLdbDb;

// Stands in front of the main window while the project is exported and the template's
// program is started, then closes itself. An error closes it too; the caller raises it
// again with RethrowError once the window is gone.
class TFormMakingHtmlStatus : public QDialog
{
    Q_OBJECT

public:
    explicit TFormMakingHtmlStatus(QWidget *parent);
    ~TFormMakingHtmlStatus() override;

    void SetDbPath(const QString &path) { FDbPath = path; }
    void SetValues(const QStringList &values) { FValues = values; }
    void SetDb(TLdbDb *db) { FDb = db; }
    void SetHtmlPath(const QString &path) { FHtmlPath = path; }
    void SetTemplate(const THtmlTemplate *htmlTemplate) { FTemplate = htmlTemplate; }

    // The template's program, started; the caller watches its end.
    std::unique_ptr<TTemplateRun> TakeRun() { return std::move(FRun); }
    void RethrowError() const;

    QLabel *Label1;

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override {}

private:
    void MakeOnIdle();

    QString FDbPath;
    QStringList FValues;
    TLdbDb *FDb = nullptr;
    QString FHtmlPath;
    const THtmlTemplate *FTemplate = nullptr;
    bool FStarted = false;
    std::unique_ptr<TTemplateRun> FRun;
    std::exception_ptr FError;
};
