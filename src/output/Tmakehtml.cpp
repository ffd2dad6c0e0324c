#include "output/Tmakehtml.h"

#include "output/Thtmldb.h"
#include "output/Ttemplatemanager.h"
#include "platform/Varnokierror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {
void LaunchTemplateProgram(const QString &program, const QString &outputDbPath,
                           const QString &htmlPath)
{
    // No shell is involved, so every path arrives as one argument whatever it holds.
    const QString workingDir = QFileInfo(program).absolutePath();
    if (!QFileInfo(program).isFile()
        || !QProcess::startDetached(program, {outputDbPath, htmlPath, program}, workingDir))
        throw EVarnokiError(QStringLiteral("テンプレートのプログラムを起動できませんでした: %1")
                                .arg(QDir::toNativeSeparators(program)));
}
} // namespace

QString MakeHtml(TLdbDb &db, const QString &emptyDbPath, const QStringList &configLines,
                 const THtmlTemplate &htmlTemplate, const QString &htmlPath)
{
    const QString outputDbPath = CreateHtmlDb(db, emptyDbPath, configLines);
    QCoreApplication::processEvents();
    try {
        LaunchTemplateProgram(htmlTemplate.GetExePath(), outputDbPath, htmlPath);
    } catch (...) {
        QFile::remove(outputDbPath);
        throw;
    }
    return outputDbPath;
}
