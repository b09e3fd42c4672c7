// What the backup service does with one request file: weighs the login (one
// attempt, counted per address and per account, refused while either has
// failed too often), then runs the command lines in order (/INFO, /CHECKCOD,
// /EMAIL_PASS, /SET_PASS, /PUT_FILE, /GET_STOC, /GET_FILE, /DEL) and writes
// the reply file with its attachments. An account reaches only its own
// archives; a refused command answers "/EROARE " + the reason. The service
// calls it from one worker thread, never from the thread that serves the
// links.
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

// The outcome of one login attempt.
struct Verdict {
    enum Kind { Known, WrongPassword, NoAccount, Blocked, BadEmail };
    Kind kind = BadEmail;
    Account account;
    int delayMs = 0;         // the answer waits this long (it grows with recent failures)
    bool tookOver = false;   // the e-mailed temporary password was used: the account's other links end
};

// Days since 30.12.1899 with the time of day as fraction.
double dayTime(const QDateTime& moment);

// The text without control characters, as it may be stored and shown.
QString withoutControls(const QString& text);

class RequestHandler {
public:
    RequestHandler(const ServerConfig& config, AccountStore& accounts, Outbox& outbox, LoginThrottle& throttle,
                   ServerLog& log);

    // Handles the request in requestFile; attachments are unpacked into and
    // reply attachments prepared in workFolder (owned by the caller, removed
    // afterwards). Always writes replyFile whole; false when even that failed.
    bool handle(const Caller& caller, const QString& requestFile, const QString& workFolder,
                const QString& replyFile);
    // The same, but replyFile gets only the text part: *parts lists the
    // files to send one after the other (the reply's head first, then the
    // attached files where they lie). *verdict tells how the login went.
    bool handle(const Caller& caller, const QString& requestFile, const QString& workFolder,
                const QString& replyHead, QStringList* parts, Verdict* verdict);
    // One login attempt, counted.
    Verdict check(const Caller& caller);
    // Answers a request whose login was weighed by check() before its payload came.
    bool answer(const Caller& caller, const Verdict& verdict, const QString& requestFile, const QString& workFolder,
                const QString& replyHead, QStringList* parts);
    // The reply lines to a large request refused before its payload: a login
    // that failed, an unconfirmed account, or no room on the disk.
    QStringList refusal(const Verdict& verdict);
    // Free disk space of the store beyond the reserve.
    qint64 spareBytes() const;

    QString archiveFile(qint64 account, qint64 id) const;

private:
    struct Reply {
        QStringList lines;
        QList<protocol::FileAttachment> attachments;
        void error(const QString& text) { lines << "/EROARE " + text; }
    };

    bool respond(const Caller& caller, const Verdict* known, const QString& requestFile, const QString& workFolder,
                 const QString& replyFile, bool headOnly, QStringList* parts, Verdict* verdict);
    bool loggedIn(const Caller& caller, Verdict& verdict, Reply& reply);
    void run(const Caller& caller, Account& account, protocol::ParsedFile& request, const QString& requestFile,
             const QString& workFolder, Reply& reply);
    void info(Account& account, Reply& reply);
    void checkCode(Account& account, const QString& code, Reply& reply);
    void emailPassword(const QString& email, Reply& reply);
    void setPassword(const Account& account, const QString& password, Reply& reply);
    void putFile(const Account& account, const QString& note, protocol::ParsedFile& request,
                 const QString& requestFile, const QString& workFolder, Reply& reply);
    void listArchives(const Account& account, const QString& workFolder, Reply& reply);
    void getFile(const Account& account, const QString& id, Reply& reply);
    void deleteFile(const Account& account, const QString& id, Reply& reply);
    bool ownArchive(const Account& account, const QString& id, StoredArchive* archive, Reply& reply);
    void mailCode(const Account& account, const QString& code);
    // The account of the e-mail, forgetting it when it stayed unconfirmed too long.
    bool findLive(const QString& email, Account* account, qint64 now);
    int delayAfter(int failures) const;

    const ServerConfig& m_config;
    AccountStore& m_accounts;
    Outbox& m_outbox;
    LoginThrottle& m_throttle;
    LoginThrottle m_codes;
    LoginThrottle m_created;
    ServerLog& m_log;
    engine::Database m_engine;
};

} // namespace server
