#include "server/RequestHandler.h"

#include "data/Months.h"
#include "data/Validators.h"
#include "protocol/RequestFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace server {

namespace {

// The reminder e-mail may be asked for once in this many seconds per account.
constexpr qint64 kReminderInterval = 300;

QString randomPassword()
{
    static const char letters[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QString out;
    for (int i = 0; i < 10; ++i)
        out += QChar(letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))]);
    return out;
}

std::string quoted(const QString& path) { return ("\"" + QDir::toNativeSeparators(path) + "\"").toStdString(); }

} // namespace

double dayTime(const QDateTime& moment)
{
    const QTime t = moment.time();
    return QDate(1899, 12, 30).daysTo(moment.date()) + t.msecsSinceStartOfDay() / 86400000.0;
}

RequestHandler::RequestHandler(const ServerConfig& config, AccountStore& accounts, Outbox& outbox,
                               LoginThrottle& throttle, ServerLog& log)
    : m_config(config), m_accounts(accounts), m_outbox(outbox), m_throttle(throttle), m_log(log),
      m_engine(QDir(config.store).filePath("tmp").toStdString())
{
}

QString RequestHandler::archiveFile(qint64 account, qint64 id) const
{
    return QDir(m_config.store).filePath(QString("archives/%1/%2.L21").arg(account).arg(id));
}

bool RequestHandler::handle(const Caller& caller, const QString& requestFile, const QString& workFolder,
                            const QString& replyFile)
{
    Reply reply;
    protocol::ParsedFile request;
    QString error;
    if (!protocol::readCommandFile(requestFile, &request, &error)) {
        reply.error(error);
    } else if (!request.ended) {
        reply.error(QStringLiteral("Cerere incompleta."));
    } else {
        Account account;
        try {
            if (authenticate(caller, request, &account, reply))
                for (const protocol::CommandLine& line : request.lines) {
                    if (line.command == "/INFO")
                        info(account, reply);
                    else if (line.command == "/CHECKCOD")
                        checkCode(account, line.argument, caller);
                    else if (line.command == "/SET_PASS") {
                        const QString password = CleanText(line.argument);
                        if (password.isEmpty() || password.size() > 40) {
                            reply.error(QStringLiteral("Parola noua este incorecta."));
                        } else {
                            m_accounts.setPassword(account.id, password);
                            reply.lines << QStringLiteral("/MSG_DLG Parola a fost schimbata!");
                            m_log.write("parola schimbata: " + account.email);
                        }
                    } else if (!account.confirmed && (line.command == "/PUT_FILE" || line.command == "/GET_STOC"
                                                      || line.command == "/GET_FILE" || line.command == "/DEL"))
                        reply.error(QStringLiteral("Contul nu este confirmat. Introduceti codul primit pe email."));
                    else if (line.command == "/PUT_FILE")
                        putFile(account, line.argument, request, requestFile, workFolder, reply);
                    else if (line.command == "/GET_STOC")
                        listArchives(account, workFolder, reply);
                    else if (line.command == "/GET_FILE")
                        getFile(account, line.argument, reply);
                    else if (line.command == "/DEL")
                        deleteFile(account, line.argument, reply);
                }
        } catch (const std::exception& e) {
            m_log.write(QString("eroare la cererea lui %1: %2").arg(caller.email, e.what()));
            reply.error(QStringLiteral("Eroare interna a serverului."));
        }
    }
    if (!protocol::writeCommandFile(replyFile, reply.lines, reply.attachments, &error)) {
        m_log.write("nu pot scrie raspunsul: " + error);
        return false;
    }
    return true;
}

bool RequestHandler::authenticate(const Caller& caller, const protocol::ParsedFile& request, Account* account,
                                  Reply& reply)
{
    // The reminder is for whoever forgot the password: it needs only the e-mail.
    if (request.has("/EMAIL_PASS")) {
        emailPassword(caller.email, reply);
        return false;
    }
    if (!hestavo::IsValidEmail(caller.email)) {
        reply.error(QStringLiteral("Adresa de email este incorecta."));
        return false;
    }
    if (!m_accounts.find(caller.email, account)) {
        if (caller.password.isEmpty() || caller.password.size() > 40) {
            reply.lines << QStringLiteral("/PASS NO");
            return false;
        }
        *account = m_accounts.create(caller.email, caller.password);
        m_outbox.send(caller.email, "Cod de confirmare Hestavo",
                      "Codul de confirmare al contului de salvari la distanta este: " + account->code
                          + "\r\nIntroduceti-l in program la \"Verifica Codul din e-mail\".");
        m_log.write(QString("cont nou: %1 (%2, %3)").arg(caller.email, caller.place, caller.address));
        return true;
    }
    if (!m_accounts.verify(account->id, caller.password)) {
        m_throttle.fail(caller.address, QDateTime::currentSecsSinceEpoch());
        m_log.write(QString("parola gresita: %1 de la %2").arg(caller.email, caller.address));
        reply.lines << QStringLiteral("/PASS NO");
        return false;
    }
    return true;
}

void RequestHandler::info(const Account& account, Reply& reply)
{
    reply.lines << (account.confirmed ? QStringLiteral("/CODCONF DA") : QStringLiteral("/CODCONF NO"));
    reply.lines << "/DATAIN " + account.created.toString("dd.MM.yyyy");
    reply.lines << "/DATAEXP " + account.expires.toString("dd.MM.yyyy");
    reply.lines << "/NOWSERVER " + QString::number(dayTime(QDateTime::currentDateTime()), 'f', 8);
}

void RequestHandler::checkCode(Account& account, const QString& code, const Caller& caller)
{
    if (account.confirmed)
        return;
    if (!code.isEmpty() && code == account.code) {
        m_accounts.confirm(account.id);
        account.confirmed = true;
        m_log.write("cont confirmat: " + account.email);
        return;
    }
    // Guessing codes costs the address its attempts like guessing passwords.
    m_throttle.fail(caller.address, QDateTime::currentSecsSinceEpoch());
}

void RequestHandler::emailPassword(const QString& email, Reply& reply)
{
    Account account;
    if (!m_accounts.find(email, &account)) {
        reply.lines << QStringLiteral("/MSG_DLG Nu exista niciun cont pentru aceasta adresa de email.");
        return;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (now - account.lastReminder < kReminderInterval) {
        reply.lines << QStringLiteral("/MSG_DLG Parola a fost trimisa de curand. Verificati emailul.");
        return;
    }
    const QString password = randomPassword();
    m_accounts.setTemporaryPassword(account.id, password, now);
    m_outbox.send(email, "Parola Hestavo",
                  "Parola temporara a contului de salvari la distanta este: " + password
                      + "\r\nParola veche ramane valabila pana o schimbati.");
    m_log.write("parola temporara trimisa: " + email);
    reply.lines << "/MSG_DLG Parola a fost trimisa pe adresa " + email + ".";
}

void RequestHandler::putFile(const Account& account, const QString& note, protocol::ParsedFile& request,
                             const QString& requestFile, const QString& workFolder, Reply& reply)
{
    const protocol::FileAttachment* archive = nullptr;
    for (const protocol::FileAttachment& a : request.attachments)
        if (a.name.compare("Srv", Qt::CaseInsensitive) == 0)
            archive = &a;
    if (!archive || archive->size <= 0) {
        reply.error(QStringLiteral("Lipseste fisierul salvarii."));
        return;
    }
    if (m_accounts.usedBytes(account.id) + archive->size > m_config.quotaBytes) {
        reply.error(QStringLiteral("Spatiul contului pe server este plin. Stergeti salvari vechi."));
        return;
    }
    QString error;
    if (!protocol::extractAttachments(requestFile, &request, workFolder, &error)) {
        reply.error(QStringLiteral("Salvarea nu a putut fi memorata."));
        m_log.write(error);
        return;
    }
    QString cleaned = CleanText(note).left(120);
    if (cleaned.isEmpty())
        cleaned = QStringLiteral("***");
    const qint64 id = m_accounts.addArchive(account.id, dayTime(QDateTime::currentDateTime()), cleaned, archive->size);
    const QString target = archiveFile(account.id, id);
    QDir().mkpath(QFileInfo(target).path());
    QFile::remove(target);
    if (!QFile::rename(QDir(workFolder).filePath(archive->name), target)) {
        m_accounts.removeArchive(id);
        reply.error(QStringLiteral("Salvarea nu a putut fi memorata."));
        m_log.write("nu pot muta salvarea in " + target);
        return;
    }
    m_log.write(QString("salvare %1 primita de la %2 (%3 octeti)").arg(id).arg(account.email).arg(archive->size));
    reply.lines << "/OK " + QString::number(id);
}

void RequestHandler::listArchives(const Account& account, const QString& workFolder, Reply& reply)
{
    const QString table = QDir(workFolder).filePath("Stoc.dbf");
    QFile::remove(table);
    m_engine.exec("CREATE TABLE " + quoted(table) + " (IDSTOC DECIMAL(12,0), DATAORA DECIMAL(17,8), OBS CHAR(120))");
    if (const QList<StoredArchive> list = m_accounts.archives(account.id); !list.isEmpty()) {
        engine::Transaction transaction = m_engine.beginTransaction();
        for (const StoredArchive& a : list)
            m_engine.exec(QString("INSERT INTO %1 (IDSTOC, DATAORA, OBS) VALUES (%2, %3, \"%4\")")
                              .arg(QString::fromStdString(quoted(table)))
                              .arg(a.id)
                              .arg(QString::number(a.dayTime, 'f', 8), CleanText(a.note))
                              .toStdString());
        transaction.commit();
    }
    reply.attachments.append({QStringLiteral("Stoc.dbf"), table, 0});
}

bool RequestHandler::ownArchive(const Account& account, const QString& id, StoredArchive* archive, Reply& reply)
{
    bool ok = false;
    const qint64 number = id.toLongLong(&ok);
    if (!ok || !m_accounts.findArchive(account.id, number, archive)) {
        reply.error(QStringLiteral("Salvarea ceruta nu exista in contul dvs."));
        return false;
    }
    return true;
}

void RequestHandler::getFile(const Account& account, const QString& id, Reply& reply)
{
    StoredArchive archive;
    if (!ownArchive(account, id, &archive, reply))
        return;
    if (!protocol::isPlainFileName(id) || !QFileInfo::exists(archiveFile(account.id, archive.id))) {
        reply.error(QStringLiteral("Salvarea ceruta nu exista in contul dvs."));
        return;
    }
    reply.attachments.append({id, archiveFile(account.id, archive.id), 0});
}

void RequestHandler::deleteFile(const Account& account, const QString& id, Reply& reply)
{
    StoredArchive archive;
    if (!ownArchive(account, id, &archive, reply))
        return;
    QFile::remove(archiveFile(account.id, archive.id));
    m_accounts.removeArchive(archive.id);
    m_log.write(QString("salvare %1 stearsa de %2").arg(archive.id).arg(account.email));
    reply.lines << "/OK " + QString::number(archive.id);
}

} // namespace server
