// A backup service on loopback for the tests that talk to it as clients do:
// the request bytes of a command list, a confirmed account, the reply parsed
// with its attachments extracted. The service runs with the short deadlines
// and the cheap password digests of testConfig() (ServerThread.h), so that
// no test waits on a production timer.
#pragma once

#include "server/AccountStore.h"
#include "tests/server/RawClient.h"
#include "tests/server/ServerThread.h"

#include "protocol/RequestFile.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

inline QCoreApplication& testApp()
{
    static int argc = 1;
    static char name[] = "test_server";
    static char* argv[] = {name, nullptr};
    static auto* a = QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *a;
}

// The request bytes: lines, "#ATTACH" lines and the attachment bytes.
inline QByteArray request(const QStringList& lines, const QList<QPair<QString, QByteArray>>& files = {})
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toLatin1() + "\r\n";
    for (const auto& [name, bytes] : files)
        out += "#ATTACH " + name.toLatin1() + " : " + QByteArray::number(bytes.size()) + "\r\n";
    out += "/END\r\n";
    for (const auto& f : files)
        out += f.second;
    return out;
}

class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        ASSERT_TRUE(m_store.isValid());
        startService(testConfig(m_store.path()));
    }

    void startService(const server::ServerConfig& config)
    {
        m_server.reset();
        m_server = std::make_unique<ServerThread>(config);
        ASSERT_NE(m_server->port(), 0) << m_server->error().toStdString();
    }

    // Sends one request and parses the reply; attachments go to m_files.
    protocol::ParsedFile ask(const QByteArray& email, const QByteArray& password, const QByteArray& bytes,
                             const QString& from = QStringLiteral("127.0.0.1"))
    {
        return parse(rawRequest(m_server->port(), email, password, bytes, from));
    }

    protocol::ParsedFile parse(const QByteArray& reply)
    {
        protocol::ParsedFile parsed;
        if (reply.isEmpty())
            return parsed;
        QFile f(m_files.filePath("reply"));
        f.open(QIODevice::WriteOnly);
        f.write(reply);
        f.close();
        EXPECT_TRUE(protocol::readCommandFile(f.fileName(), &parsed));
        EXPECT_TRUE(protocol::extractAttachments(f.fileName(), &parsed, m_files.path()));
        return parsed;
    }

    // The six-digit code of the newest confirmation e-mail to the address.
    QString mailedCode(const QByteArray& email)
    {
        return QRegularExpression("\\b(\\d{6})\\b").match(outboxMail(m_server->outbox(), "To: " + email)).captured(1);
    }

    // A confirmed account with its code read from the outbox.
    void confirmedAccount(const QByteArray& email, const QByteArray& password)
    {
        ASSERT_EQ(ask(email, password, request({"/INFO"})).value("/CODCONF"), "NO");
        const QString code = mailedCode(email);
        ASSERT_FALSE(code.isEmpty());
        ASSERT_EQ(ask(email, password, request({"/CHECKCOD " + code, "/INFO"})).value("/CODCONF"), "DA");
    }

    QTemporaryDir m_store;
    QTemporaryDir m_files;
    std::unique_ptr<ServerThread> m_server;
};
