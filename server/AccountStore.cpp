#include "server/AccountStore.h"

#include <QDateTime>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QRandomGenerator>

#include <argon2.h>
#include <sqlite3.h>

#include <atomic>

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

std::atomic<int> g_memoryKb{19456};
std::atomic<int> g_passes{2};

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (char& b : bytes)
        b = char(QRandomGenerator::system()->bounded(256));
    return bytes;
}

QString randomCode()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10, QChar(u'0'));
}

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt, iterations, 32);
}

// Compares every byte, whatever the first difference.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    int diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= a[i] ^ b[i];
    return diff == 0;
}

// A confirmation code has a million values: its digest is salted and keyed,
// so that the database alone does not give it away at a glance.
QString codeDigest(const QString& code, const QByteArray& salt)
{
    return "hmac-sha256$" + QString::fromLatin1(salt.toHex()) + "$"
        + QString::fromLatin1(QMessageAuthenticationCode::hash(code.toLatin1(), salt, QCryptographicHash::Sha256).toHex());
}

bool codeDigestMatches(const QString& code, const QString& stored)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 3 || parts[0] != "hmac-sha256")
        return !stored.isEmpty() && sameBytes(stored.toLatin1(), code.toLatin1());   // older stores kept the code itself
    return sameBytes(codeDigest(code, QByteArray::fromHex(parts[1].toLatin1())).toLatin1(), stored.toLatin1());
}

const char* kAccountColumns = "id, email, created, expires, confirmed, created_at, code_issued, last_reminder";

Account readAccount(const Statement& s)
{
    Account a;
    a.id = s.integer(0);
    a.email = s.text(1);
    a.created = QDate::fromString(s.text(2), Qt::ISODate);
    a.expires = QDate::fromString(s.text(3), Qt::ISODate);
    a.confirmed = s.integer(4) != 0;
    a.createdAt = s.integer(5);
    // Accounts of older stores carry only the day they were made.
    if (a.createdAt == 0 && a.created.isValid())
        a.createdAt = a.created.startOfDay().toSecsSinceEpoch();
    a.codeIssued = s.integer(6) != 0 ? s.integer(6) : a.createdAt;
    a.lastReminder = s.integer(7);
    return a;
}

qint64 nowOr(qint64 now) { return now != 0 ? now : QDateTime::currentSecsSinceEpoch(); }

} // namespace

void setPasswordCost(int memoryKb, int passes)
{
    g_memoryKb = qMax(8, memoryKb);
    g_passes = qMax(1, passes);
}

QString hashPassword(const QString& password)
{
    const QByteArray utf8 = password.toUtf8();
    const QByteArray salt = randomBytes(16);
    const int memory = g_memoryKb;
    const int passes = g_passes;
    QByteArray encoded(int(argon2_encodedlen(passes, memory, 1, 16, 32, Argon2_id)), Qt::Uninitialized);
    if (argon2id_hash_encoded(passes, memory, 1, utf8.constData(), size_t(utf8.size()), salt.constData(),
                              size_t(salt.size()), 32, encoded.data(), size_t(encoded.size()))
        != ARGON2_OK)
        throw StoreError(QStringLiteral("Argon2id nu a putut calcula rezumatul parolei"));
    return QString::fromLatin1(encoded.constData());
}

QString hashPasswordPbkdf2(const QString& password, int iterations)
{
    const QByteArray salt = randomBytes(16);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toHex()), QString::fromLatin1(derive(password, salt, iterations).toHex()));
}

bool checkPassword(const QString& password, const QString& stored)
{
    if (stored.startsWith("$argon2id$")) {
        const QByteArray utf8 = password.toUtf8();
        return argon2id_verify(stored.toLatin1().constData(), utf8.constData(), size_t(utf8.size())) == ARGON2_OK;
    }
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts[0] != "pbkdf2-sha256")
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    return sameBytes(QByteArray::fromHex(parts[3].toLatin1()),
                     derive(password, QByteArray::fromHex(parts[2].toLatin1()), iterations));
}

bool digestOutdated(const QString& stored)
{
    if (!stored.startsWith("$argon2id$"))
        return true;
    // "$argon2id$v=19$m=19456,t=2,p=1$..."
    const QStringList costs = stored.section(u'$', 3, 3).split(u',');
    const int memory = costs.value(0).mid(2).toInt();
    const int passes = costs.value(1).mid(2).toInt();
    return memory < g_memoryKb || passes < g_passes;
}

AccountStore::AccountStore(const QString& file)
{
    // Created readable by the service alone before SQLite opens it; its
    // journal files take the same permissions.
    if (!QFile::exists(file)) {
        QFile created(file);
        if (created.open(QIODevice::WriteOnly))
            created.close();
    }
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
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
    addColumn("accounts", "created_at", "INTEGER NOT NULL DEFAULT 0");
    addColumn("accounts", "code_issued", "INTEGER NOT NULL DEFAULT 0");
}

void AccountStore::addColumn(const char* table, const char* column, const char* type)
{
    Statement s(m_db, (QByteArray("SELECT COUNT(*) FROM pragma_table_info('") + table + "') WHERE name=?").constData());
    s.bind(1, QString::fromLatin1(column));
    if (s.step() && s.integer(0) == 0)
        exec((QByteArray("ALTER TABLE ") + table + " ADD COLUMN " + column + " " + type).constData());
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

Account AccountStore::create(const QString& email, const QString& password, qint64 now)
{
    now = nowOr(now);
    const QDate today = QDateTime::fromSecsSinceEpoch(now).date();
    {
        Statement s(m_db, "INSERT INTO accounts (email, password, created, expires, created_at) VALUES (?,?,?,?,?)");
        s.bind(1, email).bind(2, hashPassword(password));
        s.bind(3, today.toString(Qt::ISODate)).bind(4, today.addYears(1).toString(Qt::ISODate)).bind(5, now);
        s.step();
    }
    Account a;
    find(email, &a);
    a.code = issueCode(a.id, now);
    a.codeIssued = now;
    return a;
}

void AccountStore::removeAccount(qint64 account)
{
    Statement archives(m_db, "DELETE FROM archives WHERE account=?");
    archives.bind(1, account);
    archives.step();
    Statement s(m_db, "DELETE FROM accounts WHERE id=?");
    s.bind(1, account);
    s.step();
}

PasswordMatch AccountStore::verify(qint64 account, const QString& password, qint64 now, qint64 temporaryLifetime)
{
    QString main;
    QString temporary;
    qint64 issued = 0;
    {
        Statement s(m_db, "SELECT password, temp_password, last_reminder FROM accounts WHERE id=?");
        s.bind(1, account);
        if (!s.step())
            return PasswordMatch::None;
        main = s.text(0);
        temporary = s.text(1);
        issued = s.integer(2);
    }
    if (checkPassword(password, main)) {
        if (digestOutdated(main))
            setPassword(account, password);
        return PasswordMatch::Main;
    }
    if (!temporary.isEmpty() && nowOr(now) - issued <= temporaryLifetime && checkPassword(password, temporary))
        return PasswordMatch::Temporary;
    return PasswordMatch::None;
}

void AccountStore::adoptTemporaryPassword(qint64 account)
{
    Statement s(m_db, "UPDATE accounts SET password=temp_password, temp_password='', confirmed=1, code='' "
                      "WHERE id=? AND temp_password<>''");
    s.bind(1, account);
    s.step();
}

QString AccountStore::issueCode(qint64 account, qint64 now)
{
    const QString code = randomCode();
    Statement s(m_db, "UPDATE accounts SET code=?, code_issued=? WHERE id=?");
    s.bind(1, codeDigest(code, randomBytes(16))).bind(2, nowOr(now)).bind(3, account);
    s.step();
    return code;
}

bool AccountStore::codeMatches(qint64 account, const QString& code, qint64 now, qint64 lifetime)
{
    Statement s(m_db, "SELECT code, code_issued, created_at, created FROM accounts WHERE id=?");
    s.bind(1, account);
    if (!s.step() || code.isEmpty())
        return false;
    qint64 issued = s.integer(1) != 0 ? s.integer(1) : s.integer(2);
    if (issued == 0)
        issued = QDate::fromString(s.text(3), Qt::ISODate).startOfDay().toSecsSinceEpoch();
    return nowOr(now) - issued <= lifetime && codeDigestMatches(code, s.text(0));
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
