// Shared set-up of the network, remote backup and suggestion tests: one
// application object for the test program, and a fresh program folder with
// its own machine settings, data folder and temporary folder.
#pragma once

#include "data/Paths.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline void ensureApp()
{
    static int argc = 1;
    static char name[] = "test_backup";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

class ProgramFolderFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApp();
        ASSERT_TRUE(m_dir.isValid());
        qputenv("HESTAVO_SYSTEM_DIR", (m_dir.path() + "/sys").toUtf8());
        QDir().mkpath(m_dir.path() + "/sys");
        initPaths(m_dir.path() + "/prog");
        QDir().mkpath(paths().dataFolder);
        QDir().mkpath(paths().tempFolder);
    }

    QTemporaryDir m_dir;
};

#ifdef HESTAVO_WITH_SERVER
#include "data/Settings.h"
#include "data/TestMode.h"
#include "tests/server/ServerThread.h"

#include <memory>

// The program folder of a town hall ("Dej", CLUJ) with a backup service and
// its web endpoint running on loopback, and the feedback helpers in test mode.
class ServiceFixture : public ProgramFolderFixture {
protected:
    void SetUp() override
    {
        ProgramFolderFixture::SetUp();
        WriteSetting("SETARI", "PRIMARIA", "Dej");
        WriteSetting("SETARI", "JUDET", "CLUJ");
        m_server = std::make_unique<ServerThread>(testConfig(m_dir.path() + "/store"));
        testmode::enable();
    }
    void TearDown() override { testmode::disable(); }

    std::unique_ptr<ServerThread> m_server;
};
#endif
