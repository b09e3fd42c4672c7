#include "server/ServerConfig.h"

#include "data/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace server {

namespace {

bool setYesNo(const QString& value, bool* flag)
{
    const QString v = value.trimmed().toLower();
    *flag = v == "da" || v == "yes" || v == "1";
    return *flag || v == "nu" || v == "no" || v == "0";
}

bool setValue(ServerConfig* c, const QString& name, const QString& value, QString* error)
{
    bool ok = true;
    auto number = [&](qint64 low, qint64 high) {
        const qint64 n = value.trimmed().toLongLong(&ok);
        ok = ok && n >= low && n <= high;
        return n;
    };
    if (name == "store")
        c->store = value;
    else if (name == "bind")
        c->bind = value;
    else if (name == "port")
        c->port = quint16(number(1, 65535));
    else if (name == "http-port")
        c->httpPort = quint16(number(0, 65535));
    else if (name == "public-address")
        c->publicAddress = value.trimmed();
    else if (name == "tls-cert")
        c->tlsCert = value;
    else if (name == "tls-key")
        c->tlsKey = value;
    else if (name == "plain")
        ok = setYesNo(value, &c->plain);
    else if (name == "quota-mb")
        c->quotaBytes = number(1, 1024 * 1024) * 1024 * 1024;
    else if (name == "reserve-mb")
        c->reserveBytes = number(0, 1024 * 1024 * 1024) * 1024 * 1024;
    else if (name == "per-address")
        c->perAddress = int(number(1, 100000));
    else if (name == "max-connections")
        c->maxConnections = int(number(1, 100000));
    else if (name == "login-failures")
        c->loginFailures = int(number(1, 100000));
    else if (name == "transfer-seconds" || name == "idle-seconds")   // the older name of the same setting
        c->transferSeconds = int(number(1, 86400));
    else if (name == "min-rate")
        c->minRate = number(1, 1LL << 30);
    else {
        *error = "optiune necunoscuta: --" + name;
        return false;
    }
    if (!ok)
        *error = "valoare incorecta pentru --" + name + ": " + value;
    return ok;
}

const QStringList kFileKeys = {"bind",           "port",           "http-port",       "public-address",
                               "tls-cert",       "tls-key",        "plain",           "quota-mb",
                               "reserve-mb",     "per-address",    "max-connections", "login-failures",
                               "idle-seconds",   "transfer-seconds", "min-rate"};

} // namespace

QString ServerConfig::addressFileText() const
{
    if (!publicAddress.isEmpty())
        return publicAddress;
    return bind == "0.0.0.0" ? QStringLiteral("127.0.0.1") : bind;
}

bool parseServerConfig(const QStringList& arguments, ServerConfig* config, QString* error)
{
    QList<QPair<QString, QString>> given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (!a.startsWith("--")) {
            *error = "argument necunoscut: " + a;
            return false;
        }
        if (i + 1 >= arguments.size()) {
            *error = "lipseste valoarea pentru " + a;
            return false;
        }
        given.append({a.mid(2), arguments[++i]});
    }
    ServerConfig c;
    for (const auto& [name, value] : given)
        if (name == "store")
            c.store = value;
    if (c.store.isEmpty()) {
        *error = QStringLiteral("lipseste --store DIR");
        return false;
    }
    const QString file = QDir(c.store).filePath("server.conf");
    if (QFileInfo::exists(file))
        for (const QString& key : kFileKeys) {
            const QString value = readIniText(file, "server", key);
            if (!value.isEmpty() && !setValue(&c, key, value, error))
                return false;
        }
    for (const auto& [name, value] : given)
        if (!setValue(&c, name, value, error))
            return false;
    if (c.tlsCert.isEmpty() != c.tlsKey.isEmpty()) {
        *error = QStringLiteral("--tls-cert si --tls-key se dau impreuna");
        return false;
    }
    if (c.plain && !c.tlsCert.isEmpty()) {
        *error = QStringLiteral("--plain da nu se da impreuna cu --tls-cert");
        return false;
    }
    if (!c.plain && c.tlsCert.isEmpty()) {
        *error = QStringLiteral("lipsesc --tls-cert FISIER si --tls-key FISIER (conexiuni necriptate numai cu --plain da)");
        return false;
    }
    *config = c;
    return true;
}

} // namespace server
