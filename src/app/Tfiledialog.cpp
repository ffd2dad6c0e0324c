#include "app/Tfiledialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

namespace {
struct TTestNames
{
    bool On = false;
    QQueue<QString> Names;
    QString LastDirectory;
    QString LastFilter;
    QString LastFileName;
};

TTestNames &Test()
{
    static TTestNames names;
    return names;
}

QString Run(QWidget *parent, QFileDialog::AcceptMode mode, const QString &directory,
            const QString &filter, const QString &defaultSuffix, const QString &fileName)
{
    Test().LastDirectory = directory;
    Test().LastFilter = filter;
    Test().LastFileName = fileName;
    if (Test().On) {
        if (Test().Names.isEmpty())
            return QString();
        QString name = Test().Names.dequeue();
        if (!defaultSuffix.isEmpty() && QFileInfo(name).suffix().isEmpty())
            name += QLatin1Char('.') + defaultSuffix;
        return name;
    }
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString TFileDialog::GetOpenFileName(QWidget *parent, const QString &directory,
                                     const QString &filter)
{
    return Run(parent, QFileDialog::AcceptOpen, directory, filter, QString(), QString());
}

QString TFileDialog::GetSaveFileName(QWidget *parent, const QString &directory,
                                     const QString &filter, const QString &defaultSuffix,
                                     const QString &fileName)
{
    return Run(parent, QFileDialog::AcceptSave, directory, filter, defaultSuffix, fileName);
}

void TFileDialog::SetTestMode(bool on)
{
    Test().On = on;
    Test().Names.clear();
}

void TFileDialog::SetNextFileName(const QString &fileName)
{
    Test().Names.enqueue(fileName);
}

QString TFileDialog::LastDirectory()
{
    return Test().LastDirectory;
}

QString TFileDialog::LastFilter()
{
    return Test().LastFilter;
}

QString TFileDialog::LastFileName()
{
    return Test().LastFileName;
}
