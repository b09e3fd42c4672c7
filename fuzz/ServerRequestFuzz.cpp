// One request file given to the backup service (it faces the internet): any
// bytes must be answered with a reply file on a fresh account store holding
// one confirmed account with one stored archive, and never reach another
// account's archives or write outside the work folder.
#include "FuzzSupport.h"

#include "server/AccountStore.h"
#include "server/LoginThrottle.h"
#include "server/Outbox.h"
#include "server/RequestHandler.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"

#include <sqlite3.h>

namespace {

const QString kEmail = QStringLiteral("primaria@exemplu.ro");
const QString kPassword = QStringLiteral("parola123");

// The store as it is before every input: made once, copied anew.
QString pristineStore()
{
    static const QString folder = [] {
        const QString store = fuzz::freshFolder(QStringLiteral("server-pristine"));
        {
            server::AccountStore accounts(store + "/accounts.db");
            const server::Account account = accounts.create(kEmail, kPassword);
            accounts.confirm(account.id);
            const qint64 id = accounts.addArchive(account.id, 46000.5, QStringLiteral("salvare de proba"), 5);
            QDir().mkpath(store + QStringLiteral("/archives/%1").arg(account.id));
            fuzz::writeFile(store + QStringLiteral("/archives/%1/%2.L21").arg(account.id).arg(id), "12345");
        }
        // A cheap password hash, so that every input does not pay for key
        // stretching (the stored format names its own iteration count).
        sqlite3* db = nullptr;
        if (sqlite3_open((store + "/accounts.db").toUtf8().constData(), &db) != SQLITE_OK)
            std::abort();
        const QByteArray update = "UPDATE accounts SET password='" + server::hashPasswordPbkdf2(kPassword, 1).toUtf8() + "'";
        if (sqlite3_exec(db, update.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            std::abort();
        sqlite3_close(db);
        return store;
    }();
    return folder;
}

void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + "/" + entry.fileName());
        else
            fuzz::copyFile(entry.filePath(), to + "/" + entry.fileName());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    pristineStore();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    server::ServerConfig config;
    config.store = fuzz::freshFolder(QStringLiteral("server-store"));
    config.quotaBytes = 1 << 20;
    copyTree(pristineStore(), config.store);
    const QString work = fuzz::freshFolder(QStringLiteral("server-work"));
    const QString request = fuzz::scratchFolder() + "/request.cmd";
    fuzz::writeFile(request, fuzz::bytesOf(data, size));
    {
        server::AccountStore accounts(config.store + "/accounts.db");
        server::Outbox outbox(config.store + "/outbox");
        server::LoginThrottle throttle(config.loginFailures, config.failureWindowSeconds);
        server::ServerLog log;
        server::RequestHandler handler(config, accounts, outbox, throttle, log);
        const server::Caller caller{kEmail, kPassword, QStringLiteral("DEJ / CLUJ"), QStringLiteral("127.0.0.1")};
        if (!handler.handle(caller, request, work, fuzz::scratchFolder() + "/reply.cmd"))
            std::abort(); // the reply file could always be written
    }
    // Whatever the request named, nothing appears beside the work folder.
    const QStringList outside = QDir(fuzz::scratchFolder()).entryList(QDir::Files);
    for (const QString& name : outside)
        if (name != "request.cmd" && name != "reply.cmd")
            std::abort();
    return 0;
}
