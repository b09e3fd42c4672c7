// hestavo-backup-server: the remote backup service and the publisher's web
// addresses (server address file, suggestions), run in the foreground. Stops
// cleanly on SIGTERM or SIGINT.
#include "server/BackupServer.h"
#include "server/ServerConfig.h"
#include "server/ServerLog.h"
#include "server/WebEndpoint.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>

#include <cstdio>

#ifndef _WIN32
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// Turns SIGTERM and SIGINT into a quit of the event loop.
void stopOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
#else
// On Windows the service is stopped by its service manager or Ctrl+C.
void stopOnSignals(QCoreApplication&) {}
#endif

} // namespace

int main(int argc, char** argv)
{
#ifndef _WIN32
    // Archives, accounts and mails are the service's own.
    ::umask(077);
#endif
    QCoreApplication app(argc, argv);
    server::ServerConfig config;
    QString error;
    if (!server::parseServerConfig(app.arguments().mid(1), &config, &error)) {
        std::fprintf(stderr,
                     "hestavo-backup-server: %s\n"
                     "folosire: hestavo-backup-server --store DIR [--bind ADRESA] [--port 1235] [--http-port PORT]\n"
                     "          --tls-cert FISIER --tls-key FISIER | --plain da\n"
                     "          [--quota-mb N] [--reserve-mb N] [--per-address N]\n",
                     qPrintable(error));
        return 2;
    }
    if (!QDir().mkpath(config.store)) {
        std::fprintf(stderr, "hestavo-backup-server: nu pot crea %s\n", qPrintable(config.store));
        return 1;
    }
    server::ServerLog log(QDir(config.store).filePath("server.log"));
    stopOnSignals(app);
    try {
        server::BackupServer backup(config, log);
        if (!backup.listen(&error)) {
            log.write("nu pot porni serviciul de salvari: " + error);
            return 1;
        }
        server::WebEndpoint web(config, log);
        if (config.httpPort != 0 && !web.listen(&error)) {
            log.write("nu pot porni adresele web: " + error);
            return 1;
        }
        const int status = app.exec();
        log.write("oprit");
        return status;
    } catch (const std::exception& e) {
        log.write(QString("eroare: ") + e.what());
        return 1;
    }
}
