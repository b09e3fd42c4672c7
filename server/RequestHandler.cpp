#include "server/RequestHandler.h"

#include "data/Months.h"
#include "data/Validators.h"
#include "protocol/RequestFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStorageInfo>

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

constexpr auto kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

std::string quoted(const QString& path) { return ("\"" + QDir::toNativeSeparators(path) + "\"").toStdString(); }

} // namespace

double dayTime(const QDateTime& moment)
{
    const QTime t = moment.time();
    return QDate(1899, 12, 30).daysTo(moment.date()) + t.msecsSinceStartOfDay() / 86400000.0;
}

QString withoutControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            out += c;
    return out;
}

RequestHandler::RequestHandler(const ServerConfig& config, AccountStore& accounts, Outbox& outbox,
                               LoginThrottle& throttle, ServerLog& log)
    : m_config(config), m_accounts(accounts), m_outbox(outbox), m_throttle(throttle),
      m_codes(config.codeFailures, 3600), m_created(config.accountsPerDay, 86400), m_log(log),
      m_engine(QDir(config.store).filePath("tmp").toStdString())
{
}

QString RequestHandler::archiveFile(qint64 account, qint64 id) const
{
    return QDir(m_config.store).filePath(QString("archives/%1/%2.L21").arg(account).arg(id));
}

qint64 RequestHandler::spareBytes() const
{
    return QStorageInfo(m_config.store).bytesAvailable() - m_config.reserveBytes;
}

bool RequestHandler::handle(const Caller& caller, const QString& requestFile, const QString& workFolder,
                            const QString& replyFile)
{
    QStringList parts;
    Verdict verdict;
    return respond(caller, nullptr, requestFile, workFolder, replyFile, false, &parts, &verdict);
}

bool RequestHandler::handle(const Caller& caller, const QString& requestFile, const QString& workFolder,
                            const QString& replyHead, QStringList* parts, Verdict* verdict)
{
    return respond(caller, nullptr, requestFile, workFolder, replyHead, true, parts, verdict);
}

bool RequestHandler::answer(const Caller& caller, const Verdict& verdict, const QString& requestFile,
                            const QString& workFolder, const QString& replyHead, QStringList* parts)
{
    Verdict same;
    return respond(caller, &verdict, requestFile, workFolder, replyHead, true, parts, &same);
}

bool RequestHandler::respond(const Caller& caller, const Verdict* known, const QString& requestFile,
                             const QString& workFolder, const QString& replyFile, bool headOnly, QStringList* parts,
                             Verdict* verdict)
{
    Reply reply;
    protocol::ParsedFile request;
    QString error;
    try {
        if (!protocol::readCommandFile(requestFile, &request, &error)) {
            reply.error(error);
        } else if (!request.ended) {
            reply.error(QStringLiteral("Cerere incompleta."));
        } else if (request.has("/EMAIL_PASS")) {
            // The reminder is for whoever forgot the password: it needs only the e-mail.
            emailPassword(caller.email, reply);
        } else {
            *verdict = known ? *known : check(caller);
            if (loggedIn(caller, *verdict, reply))
                run(caller, verdict->account, request, requestFile, workFolder, reply);
        }
    } catch (const std::exception& e) {
        m_log.write(QString("eroare la cererea lui %1: %2").arg(caller.email, e.what()));
        reply = Reply();
        reply.error(QStringLiteral("Eroare interna a serverului."));
    }
    const bool written = headOnly ? protocol::writeCommandHead(replyFile, reply.lines, &reply.attachments, &error)
                                  : protocol::writeCommandFile(replyFile, reply.lines, reply.attachments, &error);
    if (!written) {
        m_log.write("nu pot scrie raspunsul: " + error);
        return false;
    }
    *parts = QStringList{replyFile};
    if (headOnly)
        for (const protocol::FileAttachment& a : reply.attachments)
            *parts << a.path;
    return true;
}

int RequestHandler::delayAfter(int failures) const
{
    if (failures <= 0)
        return 0;
    return int(qMin<qint64>(30000, qint64(m_config.failureDelayMs) << qMin(failures - 1, 10)));
}

bool RequestHandler::findLive(const QString& email, Account* account, qint64 now)
{
    if (!m_accounts.find(email, account))
        return false;
    if (!account->confirmed && now - account->createdAt > qint64(m_config.unconfirmedHours) * 3600) {
        // Never confirmed: whoever made it did not own the mailbox; the address is free again.
        m_accounts.removeAccount(account->id);
        m_log.write("cont neconfirmat uitat: " + account->email);
        return false;
    }
    return true;
}

Verdict RequestHandler::check(const Caller& caller)
{
    Verdict v;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (!hestavo::IsValidEmail(caller.email))
        return v;
    const QString byAddress = "adresa:" + caller.address;
    const QString byAccount = "cont:" + caller.email.toLower();
    const auto failures = [&] { return qMax(m_throttle.count(byAddress, now), m_throttle.count(byAccount, now)); };
    if (m_throttle.blocked(byAddress, now) || m_throttle.blocked(byAccount, now)) {
        v.kind = Verdict::Blocked;
        v.delayMs = delayAfter(failures());
        return v;
    }
    if (!findLive(caller.email, &v.account, now)) {
        v.kind = Verdict::NoAccount;
        return v;
    }
    switch (m_accounts.verify(v.account.id, caller.password, now, qint64(m_config.codeHours) * 3600)) {
    case PasswordMatch::Main:
        v.kind = Verdict::Known;
        break;
    case PasswordMatch::Temporary:
        m_accounts.adoptTemporaryPassword(v.account.id);
        v.account.confirmed = true;
        v.kind = Verdict::Known;
        v.tookOver = true;
        m_log.write(QString("parola temporara folosita, parola veche anulata: %1 de la %2")
                        .arg(v.account.email, caller.address));
        break;
    case PasswordMatch::None:
        m_throttle.fail(byAddress, now);
        m_throttle.fail(byAccount, now);
        m_log.write(QString("parola gresita: %1 de la %2").arg(caller.email, caller.address));
        v.kind = Verdict::WrongPassword;
        v.delayMs = delayAfter(failures());
        break;
    }
    return v;
}

QStringList RequestHandler::refusal(const Verdict& verdict)
{
    Reply reply;
    switch (verdict.kind) {
    case Verdict::Known:
        if (!verdict.account.confirmed)
            reply.error(QStringLiteral("Contul nu este confirmat. Introduceti codul primit pe email."));
        else
            reply.error(QStringLiteral("Serverul nu are spatiu liber pentru salvare. Incercati mai tarziu."));
        break;
    case Verdict::NoAccount:
        reply.error(QStringLiteral("Contul nu exista. Conectati-va intai la cont."));
        break;
    default: {
        Verdict copy = verdict;
        loggedIn({}, copy, reply);
        break;
    }
    }
    return reply.lines;
}

bool RequestHandler::loggedIn(const Caller& caller, Verdict& verdict, Reply& reply)
{
    switch (verdict.kind) {
    case Verdict::Known:
        return true;
    case Verdict::BadEmail:
        reply.error(QStringLiteral("Adresa de email este incorecta."));
        return false;
    case Verdict::Blocked:
        reply.error(QStringLiteral("Prea multe incercari gresite. Incercati din nou peste cateva minute."));
        return false;
    case Verdict::WrongPassword:
        reply.lines << QStringLiteral("/PASS NO");
        return false;
    case Verdict::NoAccount:
        break;
    }
    if (caller.password.isEmpty() || caller.password.size() > 40) {
        reply.lines << QStringLiteral("/PASS NO");
        return false;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (m_created.blocked("adresa:" + caller.address, now)) {
        m_log.write("cont nou refuzat (prea multe de la aceeasi adresa): " + caller.address);
        reply.error(QStringLiteral("Prea multe conturi noi de la aceasta adresa. Incercati din nou maine."));
        return false;
    }
    m_created.fail("adresa:" + caller.address, now);
    verdict.account = m_accounts.create(caller.email, caller.password, now);
    verdict.kind = Verdict::Known;
    mailCode(verdict.account, verdict.account.code);
    m_log.write(QString("cont nou: %1 (%2, %3)").arg(caller.email, caller.place, caller.address));
    return true;
}

void RequestHandler::run(const Caller& caller, Account& account, protocol::ParsedFile& request,
                         const QString& requestFile, const QString& workFolder, Reply& reply)
{
    Q_UNUSED(caller);
    bool codeTried = false;
    for (const protocol::CommandLine& line : request.lines) {
        if (line.command == "/INFO") {
            info(account, reply);
        } else if (line.command == "/CHECKCOD") {
            // One guess per request.
            if (!codeTried)
                checkCode(account, line.argument, reply);
            codeTried = true;
        } else if (line.command == "/SET_PASS") {
            setPassword(account, line.argument, reply);
        } else if (!account.confirmed && (line.command == "/PUT_FILE" || line.command == "/GET_STOC"
                                          || line.command == "/GET_FILE" || line.command == "/DEL")) {
            reply.error(QStringLiteral("Contul nu este confirmat. Introduceti codul primit pe email."));
        } else if (line.command == "/PUT_FILE") {
            putFile(account, line.argument, request, requestFile, workFolder, reply);
        } else if (line.command == "/GET_STOC") {
            listArchives(account, workFolder, reply);
        } else if (line.command == "/GET_FILE") {
            getFile(account, line.argument, reply);
        } else if (line.command == "/DEL") {
            deleteFile(account, line.argument, reply);
        }
    }
}

void RequestHandler::mailCode(const Account& account, const QString& code)
{
    m_outbox.send(account.email, "Cod de confirmare Hestavo",
                  "Codul de confirmare al contului de salvari la distanta este: " + code
                      + "\r\nIntroduceti-l in program la \"Verifica Codul din e-mail\"."
                      + QString("\r\nCodul este valabil %1 de ore.").arg(m_config.codeHours));
}

void RequestHandler::info(Account& account, Reply& reply)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (!account.confirmed && now - account.codeIssued > qint64(m_config.codeHours) * 3600) {
        // The code has run out: a fresh one goes to the mailbox.
        account.codeIssued = now;
        mailCode(account, m_accounts.issueCode(account.id, now));
    }
    reply.lines << (account.confirmed ? QStringLiteral("/CODCONF DA") : QStringLiteral("/CODCONF NO"));
    reply.lines << "/DATAIN " + account.created.toString("dd.MM.yyyy");
    reply.lines << "/DATAEXP " + account.expires.toString("dd.MM.yyyy");
    reply.lines << "/NOWSERVER " + QString::number(dayTime(QDateTime::currentDateTime()), 'f', 8);
}

void RequestHandler::checkCode(Account& account, const QString& code, Reply& reply)
{
    if (account.confirmed)
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QString key = "cod:" + QString::number(account.id);
    if (m_codes.blocked(key, now)) {
        reply.error(QStringLiteral("Prea multe coduri gresite. Incercati din nou peste o ora."));
        return;
    }
    if (m_accounts.codeMatches(account.id, code, now, qint64(m_config.codeHours) * 3600)) {
        m_accounts.confirm(account.id);
        account.confirmed = true;
        m_log.write("cont confirmat: " + account.email);
        return;
    }
    m_codes.fail(key, now);
}

void RequestHandler::emailPassword(const QString& email, Reply& reply)
{
    // The same answer whether or not the account exists.
    reply.lines << QStringLiteral("/MSG_DLG Daca exista un cont pentru aceasta adresa de email, "
                                  "parola temporara a fost trimisa pe email. Este valabila 24 de ore.");
    Account account;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (!hestavo::IsValidEmail(email) || !findLive(email, &account, now) || now - account.lastReminder < kReminderInterval)
        return;
    const QString password = randomPassword();
    m_accounts.setTemporaryPassword(account.id, password, now);
    m_outbox.send(account.email, "Parola Hestavo",
                  "Parola temporara a contului de salvari la distanta este: " + password
                      + "\r\nCu ea intrati in cont; din acel moment parola veche nu mai este valabila."
                      + QString("\r\nParola temporara este valabila %1 de ore.").arg(m_config.codeHours));
    m_log.write("parola temporara trimisa: " + account.email);
}

void RequestHandler::setPassword(const Account& account, const QString& password, Reply& reply)
{
    const QString cleaned = CleanText(withoutControls(password));
    if (cleaned.isEmpty() || cleaned.size() > 40) {
        reply.error(QStringLiteral("Parola noua este incorecta."));
        return;
    }
    m_accounts.setPassword(account.id, cleaned);
    reply.lines << QStringLiteral("/MSG_DLG Parola a fost schimbata!");
    m_log.write("parola schimbata: " + account.email);
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
    if (spareBytes() < archive->size) {
        m_log.write("disc aproape plin: salvare refuzata pentru " + account.email);
        reply.error(QStringLiteral("Serverul nu are spatiu liber pentru salvare. Incercati mai tarziu."));
        return;
    }
    QString error;
    if (!protocol::extractAttachments(requestFile, &request, workFolder, &error)) {
        reply.error(QStringLiteral("Salvarea nu a putut fi scrisa pe server (eroare de scriere)."));
        m_log.write(error);
        return;
    }
    QString cleaned = CleanText(withoutControls(note)).left(120);
    if (cleaned.isEmpty())
        cleaned = QStringLiteral("***");
    const qint64 id = m_accounts.addArchive(account.id, dayTime(QDateTime::currentDateTime()), cleaned, archive->size);
    const QString target = archiveFile(account.id, id);
    const QString folder = QFileInfo(target).path();
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::remove(target);
    const QString received = QDir(workFolder).filePath(archive->name);
    QFile::setPermissions(received, kPrivate);
    if (!QFile::rename(received, target)) {
        m_accounts.removeArchive(id);
        reply.error(QStringLiteral("Salvarea nu a putut fi scrisa pe server (eroare de scriere)."));
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
                              .arg(QString::number(a.dayTime, 'f', 8), CleanText(withoutControls(a.note)))
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
