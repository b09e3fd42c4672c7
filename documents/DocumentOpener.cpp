// Finding and starting the desktop's word processor.
#include "documents/DocumentOpener.h"

#include "data/Shell.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace documents {

QString WordProcessorProgram()
{
    const QString chosen = qEnvironmentVariable("HESTAVO_WORD_PROCESSOR");
    if (!chosen.isEmpty())
        return QFileInfo(chosen).isExecutable() ? chosen : QStandardPaths::findExecutable(chosen);
    for (const char* name : {"winword", "soffice", "libreoffice", "lowriter"}) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty())
            return program;
    }
    return {};
}

bool OpenInWordProcessor(const QString& path)
{
    const QString program = WordProcessorProgram();
    if (program.isEmpty())
        return false;
    const QString base = QFileInfo(program).baseName().toLower();
    QStringList arguments;
    if (base == QLatin1String("soffice") || base == QLatin1String("libreoffice"))
        arguments << QStringLiteral("--writer");
    arguments << path;
    return ShellStart(program, arguments, QFileInfo(path).absolutePath());
}

} // namespace documents
