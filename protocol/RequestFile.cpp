#include "protocol/RequestFile.h"

#include "data/Cp1250.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace protocol {

namespace {

const QString kEnd = QStringLiteral("/END");
const QString kAttach = QStringLiteral("#ATTACH");

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

CommandLine splitLine(const QString& line)
{
    const QString text = line.trimmed();
    const qsizetype space = text.indexOf(u' ');
    CommandLine out;
    out.command = (space < 0 ? text : text.left(space)).trimmed().toUpper();
    out.argument = space < 0 ? QString() : text.mid(space + 1).trimmed().left(kMaxArgument);
    return out;
}

// "name : size" after "#ATTACH".
bool parseAttachment(const QString& argument, FileAttachment* attachment)
{
    const qsizetype colon = argument.lastIndexOf(QStringLiteral(" : "));
    if (colon < 0)
        return false;
    bool ok = false;
    attachment->name = argument.left(colon).trimmed();
    attachment->size = argument.mid(colon + 3).trimmed().toLongLong(&ok);
    return ok && attachment->size >= 0 && isPlainFileName(attachment->name);
}

} // namespace

QString ParsedFile::value(const QString& command) const
{
    for (const CommandLine& line : lines)
        if (line.command == command)
            return line.argument.isNull() ? QStringLiteral("") : line.argument;
    return {};
}

bool isPlainFileName(const QString& name)
{
    if (name.isEmpty() || name.size() > 100 || name == "." || name == "..")
        return false;
    for (QChar c : name)
        if (c.unicode() < 32 || c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"'
            || c == u'<' || c == u'>' || c == u'|')
            return false;
    if (name.endsWith(u'.') || name.endsWith(u' '))
        return false;
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[0-9]|LPT[0-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return !device.match(name).hasMatch();
}

QByteArray commandText(const QStringList& lines)
{
    QByteArray text;
    for (const QString& line : lines)
        text += toCp1250(line) + "\r\n";
    return text + toCp1250(kEnd) + "\r\n";
}

bool writeCommandHead(const QString& file, const QStringList& lines, QList<FileAttachment>* attachments,
                      QString* error)
{
    QStringList all = lines;
    QList<FileAttachment> present;
    for (FileAttachment a : *attachments) {
        if (!isPlainFileName(a.name))
            return fail(error, "Nume de fisier atasat incorect: " + a.name);
        const QFileInfo info(a.path);
        if (!info.isFile())
            continue;
        a.size = info.size();
        all << kAttach + " " + a.name + " : " + QString::number(a.size);
        present.append(a);
    }
    const QByteArray head = commandText(all);
    *attachments = present;

    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(head) != head.size() || !out.flush())
        return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(file));
    return true;
}

bool writeCommandFile(const QString& file, const QStringList& lines, QList<FileAttachment> attachments,
                      QString* error)
{
    if (!writeCommandHead(file, lines, &attachments, error))
        return false;
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(file));
    for (const FileAttachment& a : attachments) {
        QFile in(a.path);
        if (!in.open(QIODevice::ReadOnly))
            return fail(error, "Nu pot citi fisierul " + QDir::toNativeSeparators(a.path));
        while (!in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            if (block.isEmpty() || out.write(block) != block.size())
                return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(file));
        }
    }
    if (!out.flush())
        return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(file));
    return true;
}

bool readCommandFile(const QString& file, ParsedFile* parsed, QString* error)
{
    *parsed = ParsedFile();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, "Nu pot citi fisierul " + QDir::toNativeSeparators(file));
    QList<QString> texts;
    while (!in.atEnd()) {
        if (texts.size() >= kMaxLines)
            return fail(error, QStringLiteral("Prea multe linii de comanda."));
        const QByteArray raw = in.readLine(kMaxLineBytes + 2);
        if (raw.size() > kMaxLineBytes && !raw.endsWith('\n'))
            return fail(error, QStringLiteral("Linie de comanda prea lunga."));
        QByteArray bytes = raw;
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        const QString text = fromCp1250(bytes);
        if (text.trimmed().toUpper() == kEnd) {
            parsed->ended = true;
            parsed->attachmentsStart = in.pos();
            break;
        }
        texts.append(text);
    }
    if (!parsed->ended && !texts.isEmpty())
        texts.removeLast();   // a cut reply: its last line may be partial

    qint64 total = 0;
    for (const QString& text : texts) {
        const CommandLine line = splitLine(text);
        if (line.command != kAttach) {
            parsed->lines.append(line);
            continue;
        }
        FileAttachment a;
        if (!parseAttachment(text.trimmed().mid(kAttach.size()), &a))
            return fail(error, "Fisier atasat incorect: " + text.left(120));
        // Checked one by one, so that the sum of sizes near the integer
        // limit can never wrap round.
        if (a.size > in.size() - total)
            return fail(error, QStringLiteral("Fisierele atasate depasesc lungimea mesajului."));
        total += a.size;
        parsed->attachments.append(a);
    }
    if (!parsed->ended) {
        parsed->attachments.clear();
        return true;
    }
    if (total > in.size() - parsed->attachmentsStart)
        return fail(error, QStringLiteral("Fisierele atasate depasesc lungimea mesajului."));
    // The attachments are the last bytes of the file.
    parsed->attachmentsStart = in.size() - total;
    return true;
}

bool extractAttachments(const QString& file, ParsedFile* parsed, const QString& folder, QString* error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(parsed->attachmentsStart))
        return fail(error, "Nu pot citi fisierul " + QDir::toNativeSeparators(file));
    for (FileAttachment& a : parsed->attachments) {
        if (!isPlainFileName(a.name))
            return fail(error, "Nume de fisier atasat incorect: " + a.name);
        a.path = QDir(folder).filePath(a.name);
        QFile out(a.path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(a.path));
        qint64 left = a.size;
        while (left > 0) {
            const QByteArray block = in.read(qMin<qint64>(left, 1 << 20));
            if (block.isEmpty() || out.write(block) != block.size())
                return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(a.path));
            left -= block.size();
        }
        if (!out.flush())
            return fail(error, "Nu pot scrie fisierul " + QDir::toNativeSeparators(a.path));
    }
    return true;
}

} // namespace protocol
