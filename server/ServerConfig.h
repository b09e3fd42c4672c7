// The settings of hestavo-backup-server: the command line
//   --store DIR [--bind ADDRESS] [--port 1235] [--http-port PORT]
//   --tls-cert FILE --tls-key FILE | --plain da
//   [--quota-mb N] [--reserve-mb N] [--per-address N]
// over the optional file DIR/server.conf (INI, section "server", the same
// names without dashes, plus "public-address", "login-failures",
// "max-connections", "transfer-seconds" and "min-rate"). Command-line values
// win over the file. The service speaks TLS unless "plain" is given: without
// a certificate and key it does not start. E-mails always go to the store's
// outbox folder.
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
    bool plain = false;            // unencrypted links (behind a TLS proxy, or for tests)
    qint64 quotaBytes = 500LL * 1024 * 1024;
    qint64 reserveBytes = 1024LL * 1024 * 1024;   // free disk space an upload may never eat into

    // Connections.
    int maxConnections = 500;
    int perAddress = 8;            // connections at once from one network address
    int perAccount = 4;            // connections at once logged in to one account
    int handshakeSeconds = 10;     // for the TLS handshake
    int loginSeconds = 30;         // from the connection to the announced request
    int transferSeconds = 60;      // a transfer's deadline: this plus its size at minRate
    qint64 minRate = 4096;         // bytes per second
    qint64 writeBuffer = 256 * 1024;   // queued reply bytes above which a client's input waits

    // Guessing and bulk use.
    int loginFailures = 10;        // failed logins per address, and per account, within failureWindow
    int failureWindowSeconds = 600;
    int failureDelayMs = 500;      // delay of the answer to a failure, doubled for each recent one
    int codeFailures = 5;          // wrong confirmation codes per account and hour
    int accountsPerDay = 5;        // accounts created from one address per day
    int unconfirmedHours = 48;     // an unconfirmed account is forgotten after this
    int codeHours = 24;            // lifetime of a confirmation code and of a temporary password
    int passwordMemoryKb = 19456;  // Argon2id cost of a password digest
    int passwordPasses = 2;

    // The web side.
    int httpPerAddress = 8;
    int httpConnections = 256;
    int httpPerMinute = 30;        // requests per address and minute
    int suggestionsPerHour = 5;    // suggestions stored per address and hour

    bool tls() const { return !plain; }
    QString addressFileText() const;
};

// Reads the arguments (without the program name) and the store's
// configuration file. False with *error for an unknown option, a missing
// value, a bad number, a missing --store, or neither a certificate nor
// "--plain da".
bool parseServerConfig(const QStringList& arguments, ServerConfig* config, QString* error);

} // namespace server
