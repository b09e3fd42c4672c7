// Connecting this computer to a shared database folder and back to local
// work: the refusals, the messages and the machine setting SERVER.
#include "backup/NetworkFolder.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/TestMode.h"
#include "tests/backup/ProgramFolderFixture.h"
#include "ui/backup/NetworkFolderCommands.h"
#include "ui/common/MessageDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("x");
}

class NetworkFolder : public ProgramFolderFixture {
protected:
    void SetUp() override
    {
        ProgramFolderFixture::SetUp();
        for (const char* t : {"Cereri.dbf", "Oameni.dbf", "LOG.DBF"}) {
            touch(paths().dataFolder + "/" + t);
            touch(m_dir.path() + "/share/" + t);
        }
        touch(m_dir.path() + "/half/Cereri.dbf");
        touch(m_dir.path() + "/half/Oameni.dbf");
        testmode::enable();
    }
    void TearDown() override { testmode::disable(); }
};

} // namespace

TEST_F(NetworkFolder, ConnectRefusesOwnAndIncompleteFoldersAndWritesAGoodOne)
{
    struct Case {
        const char* name;
        QString folder;
        bool connected;
        QString title;
        QString text;
    };
    const QString share = m_dir.path() + "/share";
    const QString half = m_dir.path() + "/half";
    const Case cases[] = {
        {"the local Data folder", paths().localDataFolder + "/", false, "Selectare Cale salvari", "Nu puteti salva aici!"},
        {"the local Data folder in capitals", paths().localDataFolder.toUpper(), false, "Selectare Cale salvari",
         "Nu puteti salva aici!"},
        {"a folder without Log.dbf", half, false, "Conectare server",
         "Baza de date " + QDir::toNativeSeparators(half) + "\rNU este corecta!\rVerificati ce-ati ales!"},
        {"a complete shared folder with a trailing separator", share + "/", true, "Conectat la server",
         "Conectarea la server a reusit!\rPorniti programul din nou !"},
    };
    for (const Case& c : cases) {
        testmode::clear();
        WriteMachineSetting("SERVER", "");
        EXPECT_EQ(ConnectNetworkFolder(c.folder), c.connected) << c.name;
        ASSERT_EQ(testmode::messages().size(), 1) << c.name;
        EXPECT_EQ(testmode::messages()[0].title, c.title) << c.name;
        EXPECT_EQ(testmode::messages()[0].text, c.text) << c.name;
        EXPECT_EQ(ReadMachineSetting("SERVER"), c.connected ? QDir::toNativeSeparators(share) : QString()) << c.name;
    }
    EXPECT_FALSE(IsNetworkMode());
    paths().dataFolder = share;
    EXPECT_TRUE(IsNetworkMode());
    testmode::clear();
    EXPECT_FALSE(ConnectNetworkFolder(share));   // the data folder of this run
    EXPECT_EQ(testmode::messages().value(0).text, "Nu puteti salva aici!");
}

TEST_F(NetworkFolder, DisconnectAsksAndEmptiesTheSetting)
{
    QLabel label;
    label.setObjectName("ServerPath");
    WriteMachineSetting("SERVER", "/srv/share");
    EXPECT_FALSE(DisconnectNetworkFolder(" -", &label));
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Nu aveti ce sterge.");
    EXPECT_EQ(testmode::hints()[0].control, "ServerPath");
    EXPECT_TRUE(testmode::messages().isEmpty());

    testmode::answerMessage(Answer::No);
    EXPECT_FALSE(DisconnectNetworkFolder("/srv/share", &label));
    EXPECT_EQ(ReadMachineSetting("SERVER"), "/srv/share");

    testmode::answerMessage(Answer::Yes);
    EXPECT_TRUE(DisconnectNetworkFolder("/srv/share", &label));
    EXPECT_EQ(ReadMachineSetting("SERVER"), "");
    ASSERT_EQ(testmode::messages().size(), 3);
    EXPECT_EQ(testmode::messages()[1].title, "Stergere cale server");
    EXPECT_EQ(testmode::messages()[1].text, "Doriti sa va deconectati de la server?");
    EXPECT_EQ(testmode::messages()[2].title, "Deconectat de la server");
    EXPECT_EQ(testmode::messages()[2].text, "Sunteti deconectat de la server!\rPorniti programul din nou !");
}
