// The remote backup client's operations, one function each, shared by
// RemoteBackupWindow and the command line: every operation is one request
// cycle (connect, log in, send the request file, receive the reply file) and
// returns the parsed reply. The reply's attachments are written into the
// temporary folder, only under the names the operation expects.
#pragma once

#include "backup/RemoteLink.h"
#include "protocol/RequestFile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace backup {

struct RemoteAccount {
    QString email;
    QString password;
    QString town;     // town hall name, from the administration settings
    QString county;
};

// Where the service is. The address URL and the port are machine settings
// with the publisher's defaults; a host given here skips the address file.
// The host the address file names must be one of allowedHosts: the file
// comes over plain HTTP and must not send the password elsewhere.
struct RemoteSettings {
    QString addressUrl;
    LinkEndpoint endpoint;
    QStringList allowedHosts;
    int waitLimitMs = 60000;
    int pingIntervalMs = 30000;

    // Machine settings ADRESA_SALVARI (address file URL), PORT_SALVARI,
    // TLS_SALVARI (TLS unless "NU"), CERT_SALVARI (certificate file to trust)
    // and SERVERE_SALVARI (the host names the address file may give,
    // separated by commas; the publisher's by default).
    static RemoteSettings fromMachineSettings();
};

QString defaultAddressUrl();
QStringList defaultAllowedHosts();

struct RemoteReply {
    QString error;                  // empty on success
    protocol::ParsedFile reply;
    QStringList files;              // attachments written, full paths

    bool ok() const { return error.isEmpty(); }
    bool wrongPassword() const { return reply.value("/PASS").compare("NO", Qt::CaseInsensitive) == 0; }
    // "/CODCONF NO": the account's e-mail is not confirmed yet.
    bool needsCode() const { return reply.value("/CODCONF").compare("NO", Qt::CaseInsensitive) == 0; }
    QStringList messages() const;   // the "/MSG_DLG" texts, in order
    // "/NOWSERVER": the service's clock as a day count; invalid when missing,
    // not a number or out of range.
    QDateTime serverTime() const;
};

// A day count from 30.12.1899 with the time of day as fraction (the service's
// dates), as local date and time; invalid for a value not finite or outside
// the years 100 to 9999, whatever the service sent.
QDateTime MomentOfDayTime(double value);

// One stored backup of the account, as the service lists it in "Stoc.dbf".
struct StoredBackup {
    QString id;       // IDSTOC
    QDateTime saved;  // DATAORA; invalid when the service sent no usable date
    QString note;     // OBS
};

// The rows of the list table the service sent. Throws engine::Error when the
// table cannot be read.
QList<StoredBackup> ReadStoredBackups(const QString& stocFile);

// "092" + e-mail, and the password padded to 40 followed by town hall "/"
// county (cleaned), the whole padded to 140 characters (Windows-1250).
QByteArray RemoteUserName(const QString& email);
QByteArray RemoteRoom(const RemoteAccount& account);

// Every character's code as three decimal digits ("A" gives "065"), and back.
// This only hides the text from a glance; it protects nothing.
QString EncodeDigits(const QString& text);
QString DecodeDigits(const QString& digits);

// The first line of the address file at url, trimmed, when it has 7 to 20
// characters; empty otherwise or when it cannot be fetched (then *reached,
// when given, is false). The file is read up to a few kilobytes, whatever
// the web server sends.
QString FetchServerAddress(const QString& url, bool* reached = nullptr);

// Why no server address was found: no address-file URL in the settings, an
// address file without a usable address, or no connection ("Nu aveti internet!").
QString MissingAddressReason(const QString& url, bool reached);

class RemoteBackupClient {
public:
    RemoteBackupClient(const RemoteSettings& settings, const RemoteAccount& account);

    std::function<void(const QString& text, qint64 position, qint64 maximum)> progress;

    // The request cycle. expectedFiles: attachment names to write into the
    // temporary folder (others are ignored). A reply line "/EROARE text" makes
    // the operation fail with that text.
    RemoteReply sendRequest(const QStringList& lines, const QList<protocol::FileAttachment>& attachments = {},
                            const QStringList& expectedFiles = {});
    // Ends a running request as a forced stop.
    void stop() { m_link.stop(); }

    RemoteReply info();
    RemoteReply checkCode(int code);
    RemoteReply emailPassword();
    RemoteReply setPassword(const QString& password);
    // Sends the archive as "Srv" (copied to the temporary folder first) with
    // the note (cleaned, "***" when empty, at most 120 characters).
    RemoteReply sendArchive(const QString& archive, const QString& note);
    // The list of stored backups: the table "Stoc.dbf" in the temporary folder.
    RemoteReply list();
    // One stored backup: the file named id in the temporary folder.
    RemoteReply fetch(const QString& id);
    RemoteReply remove(const QString& id);

private:
    RemoteSettings m_settings;
    RemoteAccount m_account;
    RemoteLink m_link;
};

} // namespace backup
