#include "server/ServerConfig.h"

#include "data/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace server {

namespace {

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
    else if (name == "quota-mb")
        c->quotaBytes = number(1, 1024 * 1024) * 1024 * 1024;
    else if (name == "login-failures")
        c->loginFailures = int(number(1, 100000));
    else if (name == "idle-seconds")
        c->idleSeconds = int(number(1, 86400));
    else {
        *error = "optiune necunoscuta: --" + name;
        return false;
    }
    if (!ok)
        *error = "valoare incorecta pentru --" + name + ": " + value;
    return ok;
}

const QStringList kFileKeys = {"bind", "port", "http-port", "public-address", "tls-cert", "tls-key",
                               "quota-mb", "login-failures", "idle-seconds"};

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
    *config = c;
    return true;
}

} // namespace server
