// Request and reply files of the remote backup service: text lines ended by
// CR LF (Windows-1250), one "#ATTACH name : size" line per attached file, the
// line "/END", then the bytes of the attachments one after the other. The
// reader bounds every line and the count of lines, accepts only plain file
// names for attachments and checks that the attachment sizes fit the file, so
// a hostile peer can neither make it read without end nor write outside the
// folder it extracts to.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace protocol {

struct FileAttachment {
    QString name;   // plain file name as it travels
    QString path;   // where the bytes are (writing) or were written (reading)
    qint64 size = 0;
};

struct CommandLine {
    QString command;   // trimmed, upper-cased, e.g. "/GET_FILE"
    QString argument;  // trimmed, at most kMaxArgument characters
};

constexpr int kMaxLineBytes = 4096;
constexpr int kMaxLines = 200;
constexpr int kMaxArgument = 1000;

struct ParsedFile {
    QList<CommandLine> lines;          // the command lines, "#ATTACH" lines excluded
    QList<FileAttachment> attachments; // names and sizes, in order
    bool ended = false;                // "/END" was found
    qint64 attachmentsStart = 0;       // offset of the first attachment byte

    // The argument of the first line with this command, or a null text.
    QString value(const QString& command) const;
    bool has(const QString& command) const { return !value(command).isNull(); }
};

// A file name an attachment may have: not empty, at most 100 characters, no
// folder separators, no ":" or control characters, not "." or "..", no
// Windows device name (CON, NUL, COM1...).
bool isPlainFileName(const QString& name);

// Writes the command lines, the "#ATTACH" line of every attachment whose file
// exists, "/END" and the attachment bytes. Attachments without a file are
// left out; the sizes are taken from the files. False with *error when the
// file cannot be written or a name is not plain.
bool writeCommandFile(const QString& file, const QStringList& lines, QList<FileAttachment> attachments,
                      QString* error = nullptr);

// The bytes of a command file without attachments: the lines and "/END".
QByteArray commandText(const QStringList& lines);

// Writes only the text part (the lines, "#ATTACH" lines and "/END"), so that
// the attachment bytes can be sent straight from their files after it;
// *attachments keeps the attachments that exist, with their sizes.
bool writeCommandHead(const QString& file, const QStringList& lines, QList<FileAttachment>* attachments,
                      QString* error = nullptr);

// Reads the lines of a command file. Without "/END" the lines are read to the
// last line but one and there are no attachments. False with *error when a
// line is too long, there are too many lines, an attachment line is malformed
// or names a file that is not plain, or the attachments do not fit the file.
bool readCommandFile(const QString& file, ParsedFile* parsed, QString* error = nullptr);

// Writes every attachment of a parsed file into folder under its name and
// sets its path. False with *error on a write failure; the files already
// written stay (the caller owns the folder).
bool extractAttachments(const QString& file, ParsedFile* parsed, const QString& folder, QString* error = nullptr);

} // namespace protocol
