#include "server/AccountStore.h"

#include <QPasswordDigestor>
#include <QRandomGenerator>

#include <sqlite3.h>

namespace server {

namespace {

// One prepared statement, finalized on scope exit.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw StoreError(QString("SQLite: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement& bind(int i, qint64 v) { sqlite3_bind_int64(m_stmt, i, v); return *this; }
    Statement& bind(int i, double v) { sqlite3_bind_double(m_stmt, i, v); return *this; }
    Statement& bind(int i, const QString& v)
    {
        const QByteArray utf8 = v.toUtf8();
        sqlite3_bind_text(m_stmt, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return *this;
    }
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw StoreError(QString("SQLite: ") + sqlite3_errmsg(m_db));
        return false;
    }
    qint64 integer(int c) const { return sqlite3_column_int64(m_stmt, c); }
    double real(int c) const { return sqlite3_column_double(m_stmt, c); }
    QString text(int c) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, c)));
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

QString randomCode()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10, QChar(u'0'));
}

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, 32);
}

const char* kAccountColumns = "id, email, created, expires, confirmed, code, last_reminder";

Account readAccount(const Statement& s)
{
    Account a;
    a.id = s.integer(0);
    a.email = s.text(1);
    a.created = QDate::fromString(s.text(2), Qt::ISODate);
    a.expires = QDate::fromString(s.text(3), Qt::ISODate);
    a.confirmed = s.integer(4) != 0;
    a.code = s.text(5);
    a.lastReminder = s.integer(6);
    return a;
}

} // namespace

QString hashPassword(const QString& password, int iterations)
{
    QByteArray salt(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), 4);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(derive(password, salt, iterations).toHex()));
}

bool checkPassword(const QString& password, const QString& stored)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts[0] != "pbkdf2-sha256")
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    const QByteArray expected = QByteArray::fromHex(parts[3].toLatin1());
    const QByteArray actual = derive(password, QByteArray::fromHex(parts[2].toLatin1()), iterations);
    // Compare every byte, whatever the first difference.
    if (expected.size() != actual.size())
        return false;
    int diff = 0;
    for (qsizetype i = 0; i < actual.size(); ++i)
        diff |= expected[i] ^ actual[i];
    return diff == 0;
}

AccountStore::AccountStore(const QString& file)
{
    if (sqlite3_open(file.toUtf8().constData(), &m_db) != SQLITE_OK) {
        const QString message = QString("Nu pot deschide %1: %2").arg(file, sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        throw StoreError(message);
    }
    sqlite3_busy_timeout(m_db, 5000);
    exec("PRAGMA journal_mode=WAL");
    exec("CREATE TABLE IF NOT EXISTS accounts (id INTEGER PRIMARY KEY, email TEXT UNIQUE NOT NULL COLLATE NOCASE,"
         " password TEXT NOT NULL, temp_password TEXT NOT NULL DEFAULT '', created TEXT, expires TEXT,"
         " confirmed INTEGER NOT NULL DEFAULT 0, code TEXT NOT NULL DEFAULT '',"
         " last_reminder INTEGER NOT NULL DEFAULT 0)");
    exec("CREATE TABLE IF NOT EXISTS archives (id INTEGER PRIMARY KEY AUTOINCREMENT,"
         " account INTEGER NOT NULL REFERENCES accounts(id), daytime REAL NOT NULL, note TEXT NOT NULL,"
         " size INTEGER NOT NULL)");
}

AccountStore::~AccountStore() { sqlite3_close(m_db); }

void AccountStore::exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString("SQLite: ") + (message ? message : "");
        sqlite3_free(message);
        throw StoreError(text);
    }
}

bool AccountStore::find(const QString& email, Account* account)
{
    Statement s(m_db, (QByteArray("SELECT ") + kAccountColumns + " FROM accounts WHERE email=?").constData());
    s.bind(1, email);
    if (!s.step())
        return false;
    *account = readAccount(s);
    return true;
}

Account AccountStore::create(const QString& email, const QString& password)
{
    const QDate today = QDate::currentDate();
    Statement s(m_db, "INSERT INTO accounts (email, password, created, expires, code) VALUES (?,?,?,?,?)");
    s.bind(1, email).bind(2, hashPassword(password));
    s.bind(3, today.toString(Qt::ISODate)).bind(4, today.addYears(1).toString(Qt::ISODate)).bind(5, randomCode());
    s.step();
    Account a;
    find(email, &a);
    return a;
}

bool AccountStore::verify(qint64 account, const QString& password)
{
    Statement s(m_db, "SELECT password, temp_password FROM accounts WHERE id=?");
    s.bind(1, account);
    if (!s.step())
        return false;
    return checkPassword(password, s.text(0)) || (!s.text(1).isEmpty() && checkPassword(password, s.text(1)));
}

void AccountStore::setPassword(qint64 account, const QString& password)
{
    Statement s(m_db, "UPDATE accounts SET password=?, temp_password='' WHERE id=?");
    s.bind(1, hashPassword(password)).bind(2, account);
    s.step();
}

void AccountStore::setTemporaryPassword(qint64 account, const QString& password, qint64 now)
{
    Statement s(m_db, "UPDATE accounts SET temp_password=?, last_reminder=? WHERE id=?");
    s.bind(1, hashPassword(password)).bind(2, now).bind(3, account);
    s.step();
}

void AccountStore::confirm(qint64 account)
{
    Statement s(m_db, "UPDATE accounts SET confirmed=1, code='' WHERE id=?");
    s.bind(1, account);
    s.step();
}

qint64 AccountStore::addArchive(qint64 account, double dayTime, const QString& note, qint64 size)
{
    Statement s(m_db, "INSERT INTO archives (account, daytime, note, size) VALUES (?,?,?,?)");
    s.bind(1, account).bind(2, dayTime).bind(3, note).bind(4, size);
    s.step();
    return sqlite3_last_insert_rowid(m_db);
}

QList<StoredArchive> AccountStore::archives(qint64 account)
{
    Statement s(m_db, "SELECT id, account, daytime, note, size FROM archives WHERE account=? ORDER BY id");
    s.bind(1, account);
    QList<StoredArchive> out;
    while (s.step())
        out.append({s.integer(0), s.integer(1), s.real(2), s.text(3), s.integer(4)});
    return out;
}

bool AccountStore::findArchive(qint64 account, qint64 id, StoredArchive* archive)
{
    Statement s(m_db, "SELECT id, account, daytime, note, size FROM archives WHERE account=? AND id=?");
    s.bind(1, account).bind(2, id);
    if (!s.step())
        return false;
    *archive = {s.integer(0), s.integer(1), s.real(2), s.text(3), s.integer(4)};
    return true;
}

void AccountStore::removeArchive(qint64 id)
{
    Statement s(m_db, "DELETE FROM archives WHERE id=?");
    s.bind(1, id);
    s.step();
}

qint64 AccountStore::usedBytes(qint64 account)
{
    Statement s(m_db, "SELECT COALESCE(SUM(size),0) FROM archives WHERE account=?");
    s.bind(1, account);
    s.step();
    return s.integer(0);
}

} // namespace server
