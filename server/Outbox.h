// E-mails of the service (confirmation codes, temporary passwords, received
// suggestions), written as one file per message into the store's "outbox"
// folder, from where the publisher's mail system sends them.
#pragma once

#include <QString>

namespace server {

class Outbox {
public:
    explicit Outbox(const QString& folder) : m_folder(folder) {}
    // Writes the message; returns its file, empty when it cannot be written.
    QString send(const QString& to, const QString& subject, const QString& body);
    QString folder() const { return m_folder; }

private:
    QString m_folder;
};

} // namespace server
