// Reading written documents back through LibreOffice (headless), as an
// independent reader: plain text, PDF and its page count.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QString>

inline bool HaveLibreOffice()
{
    QProcess p;
    p.start(QStringLiteral("soffice"), {QStringLiteral("--version")});
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

// LibreOffice's conversion of the document to `format` ("txt:Text (encoded):UTF8", "pdf"),
// written beside it; returns the converted file's path.
inline QString ConvertDocument(const QString& document, const QString& format, const QString& extension)
{
    const QFileInfo info(document);
    const QString profile = QStringLiteral("file:///tmp/lo-documents-%1").arg(QCoreApplication::applicationPid());
    QProcess p;
    p.start(QStringLiteral("soffice"), {"-env:UserInstallation=" + profile, "--headless", "--convert-to", format,
                                        "--outdir", info.absolutePath(), document});
    p.waitForFinished(600000);
    return info.absolutePath() + "/" + info.completeBaseName() + "." + extension;
}

// The document as LibreOffice reads it, as plain text; empty when it could not.
inline QString DocumentText(const QString& document)
{
    QFile txt(ConvertDocument(document, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt")));
    return txt.open(QIODevice::ReadOnly) ? QString::fromUtf8(txt.readAll()) : QString();
}

// The first placeholder left in a text ("[NUME]"); "[X]", a ticked box, is not one.
inline QString RawPlaceholder(const QString& text)
{
    return QRegularExpression(QStringLiteral("\\[[A-Za-z_][A-Za-z0-9_]+\\]")).match(text).captured();
}

inline int PdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}
