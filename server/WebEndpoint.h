// The publisher's two web addresses, served by the backup service on its HTTP
// port: GET /demo/BackUpS/adr.txt answers the address of the backup service;
// GET /sugestii.php?nume=...&comuna=...&telefon_fax=...&mail=...&produs=...
// stores the suggestion (parameters percent-decoded, "+" as space) and
// answers "SUCCES". Requests are bounded to 16 KB, answered once and given a
// short deadline; connections are capped in all and per address, requests
// and stored suggestions counted per address.
#pragma once

#include "server/LoginThrottle.h"
#include "server/Outbox.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QTcpServer>

namespace server {

// The parameters of a query text: "&" separates, the first "=" splits, "+"
// is a space and %XX a byte of UTF-8 text.
QMap<QString, QString> decodeQuery(const QByteArray& query);

class WebEndpoint : public QObject {
    Q_OBJECT
public:
    WebEndpoint(const ServerConfig& config, ServerLog& log, QObject* parent = nullptr);
    ~WebEndpoint() override;
    bool listen(QString* error);
    quint16 port() const { return m_listener.serverPort(); }

private:
    void accept();
    // The status line and body for one request line.
    QByteArray respond(const QByteArray& requestLine, const QString& peer);
    QByteArray storeSuggestion(const QByteArray& query, const QString& peer);

    void serve(QTcpSocket* socket, const QString& peer);

    const ServerConfig& m_config;
    ServerLog& m_log;
    Outbox m_suggestions;
    QTcpServer m_listener;
    LoginThrottle m_requests;
    LoginThrottle m_stored;
    QHash<QString, int> m_perAddress;
    int m_open = 0;
};

} // namespace server
