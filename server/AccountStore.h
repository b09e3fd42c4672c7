// The accounts of the backup service and the list of their stored archives,
// kept in one SQLite database ("accounts.db" in the store folder). Passwords
// are kept only as salted PBKDF2-SHA256 digests. Archive bytes live in files
// beside it; this class keeps their names, notes, dates and sizes.
#pragma once

#include <QDate>
#include <QList>
#include <QString>

struct sqlite3;

namespace server {

struct Account {
    qint64 id = 0;
    QString email;
    QDate created;
    QDate expires;
    bool confirmed = false;
    QString code;              // six-digit confirmation code while unconfirmed
    qint64 lastReminder = 0;   // seconds since the epoch of the last password e-mail
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

// "pbkdf2-sha256$iterations$salt$digest" (salt and digest in hex).
QString hashPassword(const QString& password, int iterations = 10000);
bool checkPassword(const QString& password, const QString& stored);

class AccountStore {
public:
    // Opens or creates the database; throws StoreError.
    explicit AccountStore(const QString& file);
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    bool find(const QString& email, Account* account);
    // A new unconfirmed account valid for one year, with a fresh code.
    Account create(const QString& email, const QString& password);
    // True when the password matches the account's password or the temporary
    // password last sent by e-mail.
    bool verify(qint64 account, const QString& password);
    void setPassword(qint64 account, const QString& password);
    // Stores a temporary password that works besides the old one until the
    // password is changed; the old one is not lost to someone who only knows
    // the e-mail address.
    void setTemporaryPassword(qint64 account, const QString& password, qint64 now);
    void confirm(qint64 account);

    qint64 addArchive(qint64 account, double dayTime, const QString& note, qint64 size);
    QList<StoredArchive> archives(qint64 account);
    // The archive when it belongs to the account.
    bool findArchive(qint64 account, qint64 id, StoredArchive* archive);
    void removeArchive(qint64 id);
    qint64 usedBytes(qint64 account);

private:
    void exec(const char* sql);
    sqlite3* m_db = nullptr;
};

} // namespace server
