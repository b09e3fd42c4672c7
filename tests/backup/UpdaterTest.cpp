// Hand-off to the installer left by the updater.
#include "backup/UpdaterHandoff.h"
#include "data/Files.h"
#include "data/Settings.h"
#include "data/TestMode.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(InstallerHandoff, RunsOnceThenDeletesThenResets)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testmode::enable();
    const QString folder = dir.path();
    const QString settings = folder + "/Data/Hestavo.set";
    const QString installer = folder + "/" + installerFileName();
    auto putInstaller = [&] {
        QFile f(installer);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("installer");
    };
    struct Step {
        const char* name;
        bool installerPresent;
        const char* lansatBefore;
        InstallerStep expected;
        const char* lansatAfter;
        bool installerAfter;
        int starts;
    } steps[] = {
        {"nothing to do", false, "", InstallerStep::Nothing, "", false, 0},
        {"installer present, marker empty: started", true, "", InstallerStep::Started, "DA", true, 1},
        {"installer present, marker DA: deleted", true, "DA", InstallerStep::Deleted, "DA", false, 0},
        {"no installer, marker DA: reset", false, "DA", InstallerStep::MarkerReset, "NU", false, 0},
        {"installer present, marker NU: started", true, "NU", InstallerStep::Started, "DA", true, 1},
    };
    for (const Step& s : steps) {
        testmode::clear();
        QFile::remove(installer);
        if (s.installerPresent)
            putInstaller();
        if (*s.lansatBefore)
            writeIniText(settings, "CONST", "Lansat", s.lansatBefore);
        EXPECT_EQ(InstallerHandoff(folder, folder + "/hestavo", settings), s.expected) << s.name;
        EXPECT_EQ(readIniText(settings, "CONST", "Lansat"), QString(s.lansatAfter)) << s.name;
        EXPECT_EQ(QFile::exists(installer), s.installerAfter) << s.name;
        ASSERT_EQ(testmode::shellCalls().size(), s.starts) << s.name;
        if (s.starts) {
            EXPECT_EQ(testmode::shellCalls()[0].path, installer);
            EXPECT_EQ(testmode::shellCalls()[0].arguments,
                      QStringList{QDir::toNativeSeparators(folder + "/hestavo")});
            EXPECT_EQ(testmode::shellCalls()[0].workFolder, folder);
        }
    }
    // Arguments go to the process API as they are: it adds the quotes a name
    // with spaces needs, so none may be added here.
    EXPECT_EQ(updaterArguments("1.0098", 3, "  "), QStringList({"92", "1.0098", "3", "nespecificata"}));
    EXPECT_EQ(updaterArguments("1.0098", 0, "Comuna Sfantu Gheorghe"),
              QStringList({"92", "1.0098", "0", "Comuna Sfantu Gheorghe"}));
    testmode::disable();
}

TEST(UpdaterLaunch, StartsTheUpdaterOrSaysItIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testmode::enable();
    testmode::clear();
    const UpdaterLaunch result = LaunchUpdater(dir.path(), "1.0098", 4, "Floresti");
    if (findResource("UpDate", "UpDate").isEmpty()) {
        EXPECT_EQ(result, UpdaterLaunch::Missing);
        EXPECT_TRUE(testmode::shellCalls().isEmpty());
        EXPECT_FALSE(QFile::exists(dir.path() + "/" + updaterFileName()));
    } else {
        EXPECT_EQ(result, UpdaterLaunch::Started);
        ASSERT_EQ(testmode::shellCalls().size(), 1);
        EXPECT_EQ(testmode::shellCalls()[0].arguments, QStringList({"92", "1.0098", "4", "Floresti"}));
    }
    testmode::disable();
}
