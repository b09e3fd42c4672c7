// The accounts of the backup service and the list of their stored archives,
// kept in one SQLite database ("accounts.db" in the store folder, readable by
// its owner only). Passwords are kept only as salted Argon2id digests (older
// PBKDF2-SHA256 digests are still read and replaced at the next successful
// login); confirmation codes and temporary passwords only as salted digests
// with the time they were issued. Archive bytes live in files beside it; this
// class keeps their names, notes, dates and sizes.
#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <stdexcept>

struct sqlite3;

namespace server {

struct Account {
    qint64 id = 0;
    QString email;
    QDate created;
    QDate expires;
    bool confirmed = false;
    qint64 createdAt = 0;      // seconds since the epoch
    qint64 codeIssued = 0;     // seconds since the epoch of the confirmation code
    qint64 lastReminder = 0;   // seconds since the epoch of the last temporary password
    QString code;              // the plain confirmation code, only right after it was issued
};

struct StoredArchive {
    qint64 id = 0;
    qint64 account = 0;
    double dayTime = 0;        // days since 30.12.1899 with the time as fraction
    QString note;
    qint64 size = 0;
};

class StoreError : public std::runtime_error {
public:
    explicit StoreError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

// The cost of new password digests (Argon2id memory in KiB and passes), for
// the whole process; the service sets it from its configuration.
void setPasswordCost(int memoryKb, int passes);
// "$argon2id$v=19$m=...,t=...,p=1$salt$digest" at the current cost.
QString hashPassword(const QString& password);
// The digest older installations stored: "pbkdf2-sha256$iterations$salt$digest"
// (salt and digest in hex).
QString hashPasswordPbkdf2(const QString& password, int iterations);
bool checkPassword(const QString& password, const QString& stored);
// True when a stored digest is of an older kind or a lower cost than today's.
bool digestOutdated(const QString& stored);

enum class PasswordMatch { None, Main, Temporary };

class AccountStore {
public:
    // Opens or creates the database; throws StoreError.
    explicit AccountStore(const QString& file);
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    bool find(const QString& email, Account* account);
    // A new unconfirmed account valid for one year, with a fresh code (in
    // the returned account's code).
    Account create(const QString& email, const QString& password, qint64 now = 0);
    void removeAccount(qint64 account);
    // Which password matches: the account's own, or the temporary one sent
    // by e-mail within the last temporaryLifetime seconds. A matching digest
    // of an older kind is replaced by one of today's.
    PasswordMatch verify(qint64 account, const QString& password, qint64 now, qint64 temporaryLifetime);
    void setPassword(qint64 account, const QString& password);
    // Stores a temporary password beside the account's own.
    void setTemporaryPassword(qint64 account, const QString& password, qint64 now);
    // The temporary password becomes the account's only password, and the
    // account is confirmed: whoever read it owns the mailbox.
    void adoptTemporaryPassword(qint64 account);
    // A fresh confirmation code; returns it in plain.
    QString issueCode(qint64 account, qint64 now);
    // True when code is the account's confirmation code, issued within lifetime seconds.
    bool codeMatches(qint64 account, const QString& code, qint64 now, qint64 lifetime);
    void confirm(qint64 account);

    qint64 addArchive(qint64 account, double dayTime, const QString& note, qint64 size);
    QList<StoredArchive> archives(qint64 account);
    // The archive when it belongs to the account.
    bool findArchive(qint64 account, qint64 id, StoredArchive* archive);
    void removeArchive(qint64 id);
    qint64 usedBytes(qint64 account);

private:
    void exec(const char* sql);
    void addColumn(const char* table, const char* column, const char* type);
    sqlite3* m_db = nullptr;
};

} // namespace server
