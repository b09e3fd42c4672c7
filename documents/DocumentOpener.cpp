// Default ways of showing a document: the desktop's "open" action and its word processor.
#include "documents/DocumentOpener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace documents {

namespace {

FileOpener& shellOpener()
{
    static FileOpener opener;
    return opener;
}

FileOpener& wordOpener()
{
    static FileOpener opener;
    return opener;
}

bool desktopOpen(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool startWordProcessor(const QString& path)
{
    struct Candidate {
        const char* program;
        QStringList arguments;
    };
    const Candidate candidates[] = {
        {"winword", {}},
        {"soffice", {QStringLiteral("--writer")}},
        {"libreoffice", {QStringLiteral("--writer")}},
        {"lowriter", {}},
    };
    for (const Candidate& c : candidates) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(c.program));
        if (program.isEmpty())
            continue;
        if (QProcess::startDetached(program, c.arguments + QStringList{path}, QFileInfo(path).absolutePath()))
            return true;
    }
    return false;
}

} // namespace

bool shellOpen(const QString& path)
{
    return shellOpener() ? shellOpener()(path) : desktopOpen(path);
}

void setShellOpener(FileOpener opener)
{
    shellOpener() = std::move(opener);
}

bool openInWordProcessor(const QString& path)
{
    return wordOpener() ? wordOpener()(path) : startWordProcessor(path);
}

void setWordProcessorOpener(FileOpener opener)
{
    wordOpener() = std::move(opener);
}

} // namespace documents
