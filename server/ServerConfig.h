// The settings of hestavo-backup-server: the command line
//   --store DIR [--bind ADDRESS] [--port 1235] [--http-port PORT]
//   [--tls-cert FILE --tls-key FILE] [--quota-mb N]
// over the optional file DIR/server.conf (INI, section "server", the same
// names without dashes, plus "public-address", "login-failures" and
// "idle-seconds"). Command-line values win over the file. E-mails always go
// to the store's outbox folder.
#pragma once

#include <QString>
#include <QStringList>

namespace server {

struct ServerConfig {
    QString store;                 // the store folder: accounts.db, archives/, outbox/, server.log
    QString bind = QStringLiteral("0.0.0.0");
    quint16 port = 1235;
    quint16 httpPort = 0;          // 0: no web endpoint
    QString publicAddress;         // what the address file serves; the bind address when empty
    QString tlsCert;
    QString tlsKey;
    qint64 quotaBytes = 500LL * 1024 * 1024;
    int loginFailures = 10;        // failed logins per address within failureWindow before refusal
    int failureWindowSeconds = 600;
    int idleSeconds = 120;         // a connection silent this long is closed

    bool tls() const { return !tlsCert.isEmpty(); }
    QString addressFileText() const;
};

// Reads the arguments (without the program name) and the store's
// configuration file. False with *error for an unknown option, a missing
// value, a bad number or a missing --store.
bool parseServerConfig(const QStringList& arguments, ServerConfig* config, QString* error);

} // namespace server
