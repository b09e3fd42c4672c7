// What the backup service does with one request file: checks the account's
// password, then runs the command lines in order (/INFO, /CHECKCOD,
// /EMAIL_PASS, /SET_PASS, /PUT_FILE, /GET_STOC, /GET_FILE, /DEL) and writes
// the reply file with its attachments. An account reaches only its own
// archives; a refused command answers "/EROARE " + the reason.
#pragma once

#include "server/AccountStore.h"
#include "server/LoginThrottle.h"
#include "server/Outbox.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"

#include "engine/Database.h"

#include <QString>
#include <QStringList>

namespace protocol { struct ParsedFile; struct FileAttachment; }

namespace server {

// Who sent the request, from the login record.
struct Caller {
    QString email;
    QString password;
    QString place;     // town hall / county, as the client wrote it
    QString address;   // the peer's network address
};

// Days since 30.12.1899 with the time of day as fraction.
double dayTime(const QDateTime& moment);

class RequestHandler {
public:
    RequestHandler(const ServerConfig& config, AccountStore& accounts, Outbox& outbox, LoginThrottle& throttle,
                   ServerLog& log);

    // Handles the request in requestFile; attachments are unpacked into and
    // reply attachments prepared in workFolder (owned by the caller, removed
    // afterwards). Always writes replyFile; false when even that failed.
    bool handle(const Caller& caller, const QString& requestFile, const QString& workFolder,
                const QString& replyFile);

    QString archiveFile(qint64 account, qint64 id) const;

private:
    struct Reply {
        QStringList lines;
        QList<protocol::FileAttachment> attachments;
        void error(const QString& text) { lines << "/EROARE " + text; }
    };

    bool authenticate(const Caller& caller, const protocol::ParsedFile& request, Account* account, Reply& reply);
    void info(const Account& account, Reply& reply);
    void checkCode(Account& account, const QString& code, const Caller& caller);
    void emailPassword(const QString& email, Reply& reply);
    void putFile(const Account& account, const QString& note, protocol::ParsedFile& request,
                 const QString& requestFile, const QString& workFolder, Reply& reply);
    void listArchives(const Account& account, const QString& workFolder, Reply& reply);
    void getFile(const Account& account, const QString& id, Reply& reply);
    void deleteFile(const Account& account, const QString& id, Reply& reply);
    bool ownArchive(const Account& account, const QString& id, StoredArchive* archive, Reply& reply);

    const ServerConfig& m_config;
    AccountStore& m_accounts;
    Outbox& m_outbox;
    LoginThrottle& m_throttle;
    ServerLog& m_log;
    engine::Database m_engine;
};

} // namespace server
