#include "backup/RemoteBackup.h"

#include "backup/HttpGet.h"
#include "data/Cp1250.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace backup {

namespace {

QString machineSetting(const QString& key, const QString& fallback)
{
    const QString value = ReadMachineSetting(key).trimmed();
    return value.isEmpty() ? fallback : value;
}

void say(const RemoteBackupClient& client, const QString& text)
{
    if (client.progress)
        client.progress(text, 0, 0);
}

} // namespace

QString defaultAddressUrl() { return QStringLiteral("http://www.hestavo.ro/demo/BackUpS/adr.txt"); }

QStringList defaultAllowedHosts() { return {QStringLiteral("backup.hestavo.ro")}; }

RemoteSettings RemoteSettings::fromMachineSettings()
{
    RemoteSettings s;
    s.addressUrl = machineSetting(QStringLiteral("ADRESA_SALVARI"), defaultAddressUrl());
    const int port = machineSetting(QStringLiteral("PORT_SALVARI"), QStringLiteral("1235")).toInt();
    s.endpoint.port = quint16(port > 0 && port < 65536 ? port : 1235);
    // Plain TCP only when explicitly chosen.
    s.endpoint.tls = ReadMachineSetting(QStringLiteral("TLS_SALVARI")).trimmed().toUpper() != "NU";
    s.endpoint.caFile = ReadMachineSetting(QStringLiteral("CERT_SALVARI")).trimmed();
    for (const QString& host : ReadMachineSetting(QStringLiteral("SERVERE_SALVARI")).split(u','))
        if (!host.trimmed().isEmpty())
            s.allowedHosts << host.trimmed();
    if (s.allowedHosts.isEmpty())
        s.allowedHosts = defaultAllowedHosts();
    return s;
}

QDateTime RemoteReply::serverTime() const
{
    bool number = false;
    const double value = reply.value("/NOWSERVER").toDouble(&number);
    return number ? MomentOfDayTime(value) : QDateTime();
}

QDateTime MomentOfDayTime(double value)
{
    // 1.1.100 and 31.12.9999 as day counts: what a date field can hold.
    constexpr double kFirst = -657434, kLast = 2958466;
    if (!std::isfinite(value) || value < kFirst || value >= kLast)
        return {};
    const qint64 msecs = qint64(std::llround(value * 86400000.0));
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(msecs);
}

QList<StoredBackup> ReadStoredBackups(const QString& stocFile)
{
    QList<StoredBackup> out;
    auto rows = Db().open(sqlLines({QStringLiteral("SELECT IDSTOC, DATAORA, OBS"), "FROM " + quotedPath(stocFile)}));
    for (; !rows->eof(); rows->next())
        out.append({QString::fromStdString(rows->text("IDSTOC")), MomentOfDayTime(rows->number("DATAORA")),
                    QString::fromStdString(rows->text("OBS"))});
    return out;
}

QStringList RemoteReply::messages() const
{
    QStringList out;
    for (const protocol::CommandLine& line : reply.lines)
        if (line.command == "/MSG_DLG")
            out << line.argument;
    return out;
}

QByteArray RemoteUserName(const QString& email) { return "092" + toCp1250(email); }

QByteArray RemoteRoom(const RemoteAccount& account)
{
    const QString room = account.password.leftJustified(40, u' ')
        + CleanText(account.town + "/" + account.county);
    return toCp1250(room.leftJustified(140, u' ', true));
}

QString EncodeDigits(const QString& text)
{
    QString out;
    for (const char byte : toCp1250(text))
        out += QStringLiteral("%1").arg(quint8(byte), 3, 10, QChar(u'0'));
    return out;
}

QString DecodeDigits(const QString& digits)
{
    QByteArray bytes;
    for (qsizetype i = 0; i + 3 <= digits.size(); i += 3) {
        bool ok = false;
        const int code = digits.mid(i, 3).toInt(&ok);
        if (!ok || code > 255)
            break;
        bytes.append(char(code));
    }
    return fromCp1250(bytes);
}

QString FetchServerAddress(const QString& url, bool* reached)
{
    if (reached)
        *reached = false;
    if (url.trimmed().isEmpty())
        return {};
    const QString file = FreshTempFile(QStringLiteral("Down"), QStringLiteral(".txt"));
    if (file.isEmpty() || HttpGetToFile(url, file, 60000, 4096) != 0) {
        QFile::remove(file);
        return {};
    }
    if (reached)
        *reached = true;
    QFile in(file);
    QString line;
    if (in.open(QIODevice::ReadOnly))
        line = QString::fromLatin1(in.readLine(256)).trimmed();
    in.close();
    QFile::remove(file);
    return line.size() > 6 && line.size() <= 20 ? line : QString();
}

QString MissingAddressReason(const QString& url, bool reached)
{
    if (url.trimmed().isEmpty())
        return QStringLiteral("Lipseste adresa serverului de salvari din setari (ADRESA_SALVARI).");
    if (reached)
        return "Lipseste adresa serverului de salvari: " + url + " nu o contine.";
    return QStringLiteral("Nu aveti internet!");
}

RemoteBackupClient::RemoteBackupClient(const RemoteSettings& settings, const RemoteAccount& account)
    : m_settings(settings), m_account(account)
{
    m_link.waitLimitMs = settings.waitLimitMs;
    m_link.pingIntervalMs = settings.pingIntervalMs;
}

RemoteReply RemoteBackupClient::sendRequest(const QStringList& lines,
                                            const QList<protocol::FileAttachment>& attachments,
                                            const QStringList& expectedFiles)
{
    RemoteReply result;
    const QString requestFile = FreshTempFile(QStringLiteral("Comanda"), QStringLiteral(".cmd"));
    const QString replyFile = FreshTempFile(QStringLiteral("Primit"), QStringLiteral(".cmd"));
    if (requestFile.isEmpty() || replyFile.isEmpty()
        || !protocol::writeCommandFile(requestFile, lines, attachments, &result.error)) {
        QFile::remove(requestFile);
        if (result.error.isEmpty())
            result.error = QStringLiteral("Nu pot crea fisierele temporare.");
        return result;
    }
    say(*this, QStringLiteral("Verific conexiunea..."));
    LinkEndpoint endpoint = m_settings.endpoint;
    bool reached = true;
    if (endpoint.host.isEmpty())
        endpoint.host = FetchServerAddress(m_settings.addressUrl, &reached);
    if (endpoint.host.isEmpty()) {
        QFile::remove(requestFile);
        result.error = MissingAddressReason(m_settings.addressUrl, reached);
        return result;
    }
    if (m_settings.endpoint.host.isEmpty() && !m_settings.allowedHosts.contains(endpoint.host, Qt::CaseInsensitive)) {
        QFile::remove(requestFile);
        result.error = "Serverul de salvari indicat (" + endpoint.host + ") nu este in lista serverelor permise.";
        return result;
    }
    m_link.progress = progress;
    result.error = m_link.run(endpoint, RemoteUserName(m_account.email), RemoteRoom(m_account), requestFile, replyFile);
    QFile::remove(requestFile);
    if (!result.ok())
        return result;

    QString why;
    if (!protocol::readCommandFile(replyFile, &result.reply, &why)) {
        result.error = "Raspuns incorect de la server: " + why;
    } else if (!result.reply.ended) {
        // A reply cut short is no answer, whatever its first lines say.
        result.error = QStringLiteral("Eroare la transmisie.");
    } else {
        // Only the files this operation expects are written.
        protocol::ParsedFile wanted = result.reply;
        wanted.attachments.clear();
        qint64 skipped = 0;
        QList<qint64> offsets;
        for (const protocol::FileAttachment& a : result.reply.attachments) {
            if (expectedFiles.contains(a.name)) {
                protocol::ParsedFile one = result.reply;
                one.attachments = {a};
                one.attachmentsStart = result.reply.attachmentsStart + skipped;
                if (!protocol::extractAttachments(replyFile, &one, paths().tempFolder, &why)) {
                    result.error = why;
                    break;
                }
                result.files << one.attachments.first().path;
            }
            skipped += a.size;
        }
        if (result.ok() && result.reply.has("/EROARE"))
            result.error = result.reply.value("/EROARE");
    }
    QFile::remove(replyFile);
    return result;
}

RemoteReply RemoteBackupClient::info() { return sendRequest({QStringLiteral("/INFO")}); }

RemoteReply RemoteBackupClient::checkCode(int code)
{
    return sendRequest({QStringLiteral("/CHECKCOD %1").arg(code, 6, 10, QChar(u'0')), QStringLiteral("/INFO")});
}

RemoteReply RemoteBackupClient::emailPassword() { return sendRequest({QStringLiteral("/EMAIL_PASS")}); }

RemoteReply RemoteBackupClient::setPassword(const QString& password)
{
    return sendRequest({"/SET_PASS " + password});
}

RemoteReply RemoteBackupClient::sendArchive(const QString& archive, const QString& note)
{
    RemoteReply result;
    const QString srv = paths().tempFolder + "/Srv";
    if ((QFile::exists(srv) && !QFile::remove(srv)) || !QFile::copy(archive, srv)) {
        result.error = "Nu pot pregati fisierul " + QDir::toNativeSeparators(srv);
        return result;
    }
    QString text = CleanText(note);
    if (text.isEmpty())
        text = QStringLiteral("***");
    result = sendRequest({"/PUT_FILE " + text.left(120)}, {{QStringLiteral("Srv"), srv, 0}});
    QFile::remove(srv);
    return result;
}

RemoteReply RemoteBackupClient::list()
{
    QFile::remove(paths().tempFolder + "/Stoc.dbf");
    RemoteReply result = sendRequest({QStringLiteral("/GET_STOC")}, {}, {QStringLiteral("Stoc.dbf")});
    if (result.ok() && result.files.isEmpty() && !result.wrongPassword())
        result.error = QStringLiteral("Serverul nu a trimis lista salvarilor.");
    return result;
}

RemoteReply RemoteBackupClient::fetch(const QString& id)
{
    RemoteReply result;
    if (!protocol::isPlainFileName(id)) {
        result.error = "Identificator de salvare incorect: " + id;
        return result;
    }
    QFile::remove(paths().tempFolder + "/" + id);
    result = sendRequest({"/GET_FILE " + id}, {}, {id});
    if (result.ok() && result.files.isEmpty() && !result.wrongPassword())
        result.error = QStringLiteral("Serverul nu a trimis salvarea.");
    return result;
}

RemoteReply RemoteBackupClient::remove(const QString& id) { return sendRequest({"/DEL " + id}); }

} // namespace backup
