// What a connection of the backup service asks of the service that accepted
// it: room on its account, the end of the account's other links, the worker
// thread that does a request's work, and the request handler.
#pragma once

#include <QString>

#include <functional>

namespace server {

class BackupConnection;
class RequestHandler;

class ConnectionHub {
public:
    virtual ~ConnectionHub() = default;
    // A login to the account; false when the account has as many links as it may.
    virtual bool enterAccount(const QString& email, BackupConnection* connection) = 0;
    // Ends the account's links other than keep.
    virtual void takeOver(const QString& email, BackupConnection* keep) = 0;
    // Runs job on the worker thread, then done() on the links' thread if the
    // connection still lives.
    virtual void onWorker(BackupConnection* connection, std::function<void()> job, std::function<void()> done) = 0;
    virtual RequestHandler& handler() = 0;
};

} // namespace server
