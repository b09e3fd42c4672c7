// Settings files: the INI reader/writer, numbers, counters and the paths they use.
#include "FolderFixture.h"

#include "data/IniFile.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

// The machine-wide settings file lives in its own folder.
class SettingsFiles : public TempFolders {
protected:
    void SetUp() override
    {
        TempFolders::SetUp();
        if (HasFatalFailure())
            return;
        paths().systemFolder = m_dir.path() + "/sys";
    }
};

} // namespace

TEST(IniContent, LookupMatchesSectionsAndKeysWithoutCase)
{
    const QByteArray file = "top=1\r\n[Setari]\r\nUAT=Comuna\r\n; Lim1=99\r\nLim1=200\r\nWIN= \"a b\" \r\n"
                            "[INDEX]\nNRCRT=5.0\n[setari]\nUAT=second\n";
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        std::optional<QByteArray> expected;
    } cases[] = {
        {"exact names", "Setari", "UAT", QByteArray("Comuna")},
        {"other letter case", "SETARI", "uat", QByteArray("Comuna")},
        {"comment line skipped", "SETARI", "Lim1", QByteArray("200")},
        {"value kept byte for byte", "SETARI", "WIN", QByteArray(" \"a b\" ")},
        {"LF-only lines", "index", "NRCRT", QByteArray("5.0")},
        {"key before any section not found", "SETARI", "top", std::nullopt},
        {"key of another section not found", "INDEX", "UAT", std::nullopt},
        {"missing section", "CONST", "UAT", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini::lookup(file, c.section, c.key), c.expected) << c.name;
}

TEST(IniContent, WritingChangesOnlyItsOwnLine)
{
    const QByteArray file = "; kept\r\n[A]\r\nx=1\nunknown line\r\n\r\n[B]\r\ny=2";
    struct Case {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        QByteArray expected;
    } cases[] = {
        {"replace value, other bytes kept", "a", "X", "10", "; kept\r\n[A]\r\nx=10\nunknown line\r\n\r\n[B]\r\ny=2"},
        {"new key after the section's last line", "A", "z", "3",
         "; kept\r\n[A]\r\nx=1\nunknown line\r\nz=3\r\n\r\n[B]\r\ny=2"},
        {"new key in a last section without line end", "B", "w", "4",
         "; kept\r\n[A]\r\nx=1\nunknown line\r\n\r\n[B]\r\ny=2\r\nw=4\r\n"},
        {"new section at the end", "C", "k", "v",
         "; kept\r\n[A]\r\nx=1\nunknown line\r\n\r\n[B]\r\ny=2\r\n[C]\r\nk=v\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini::withValue(file, c.section, c.key, c.value), c.expected) << c.name;
    EXPECT_EQ(ini::withoutSection(file, "a"), QByteArray("; kept\r\n[B]\r\ny=2"));
    EXPECT_EQ(ini::withoutSection(file, "none"), file);
}

// A file whose last line ends in a lone carriage return (cut off after the
// CR of its CR LF, or written by a program that ends lines with CR): a key
// added to its last section, or in a section added after it, must read back,
// and so must the value before it.
TEST(IniContent, ValueAddedAfterALastLineEndingInCarriageReturnReadsBack)
{
    const struct {
        const char* name;
        QByteArray file;
        const char* writtenSection;
        const char* untouchedSection; // a key of the file that keeps its value
        const char* untouchedKey;
        QByteArray untouchedValue;
    } cases[] = {
        {"key line ending in CR", "[SETARI]\r\nJUDET=CLUJ\r", "SETARI", "SETARI", "JUDET", "CLUJ"},
        {"section line ending in CR", "[A]\r\nx=1\r\n[SETARI]\r", "SETARI", "A", "x", "1"},
        {"CR-only line ends", "[SETARI]\rJUDET=CLUJ\r", "SETARI", nullptr, nullptr, {}},
        {"new section after a key line ending in CR", "[SETARI]\r\nJUDET=CLUJ\r", "INDEX", "SETARI", "JUDET", "CLUJ"},
        {"new section after an empty value ending in CR", "[SETARI\nJUDET=\r", "INDEX", "SETARI", "JUDET", ""},
    };
    for (const auto& c : cases) {
        const QByteArray written = ini::withValue(c.file, c.writtenSection, "LOCALITATE", "DEJ");
        EXPECT_EQ(ini::lookup(written, c.writtenSection, "LOCALITATE"), QByteArray("DEJ")) << c.name;
        if (c.untouchedKey)
            EXPECT_EQ(ini::lookup(written, c.untouchedSection, c.untouchedKey), c.untouchedValue) << c.name;
        EXPECT_TRUE(written.startsWith(c.file.left(c.file.size() - 1))) << c.name;
    }
}

TEST_F(SettingsFiles, FirstWriteCreatesTheFileWithCrLfLines)
{
    WriteSetting("SETARI", "PRIMARIA", "Comuna Ștefan cel Mare");
    WriteSetting("SETARI", "JUDET", "BACAU");
    EXPECT_EQ(fileBytes(paths().dataFolder + "/Hestavo.set"),
              QByteArray("[SETARI]\r\nPRIMARIA=Comuna \xAA" "tefan cel Mare\r\nJUDET=BACAU\r\n"));
    EXPECT_EQ(ReadSetting("setari", "primaria"), QString("Comuna Ştefan cel Mare"));
    EXPECT_EQ(ReadSetting("SETARI", "PRIMAR"), QString());
}

TEST_F(SettingsFiles, ExistingFileFoundWithoutCaseAndKeptInOrder)
{
    const QString upper = paths().dataFolder + "/HESTAVO.SET";
    putFile(upper, "[VARIABILE]\r\nLUNA_LUCRU=03.2022\r\n[Other]\r\nkeep=me\r\n");
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), QString("03.2022"));
    WriteSetting("variabile", "luna_lucru", "04.2022");
    EXPECT_FALSE(QFile::exists(paths().dataFolder + "/Hestavo.set"));
    EXPECT_EQ(fileBytes(upper), QByteArray("[VARIABILE]\r\nLUNA_LUCRU=04.2022\r\n[Other]\r\nkeep=me\r\n"));
}

TEST_F(SettingsFiles, DigestWithArbitraryBytesRoundTrips)
{
    QByteArray digest = " \"";
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            digest.append(char(b));
    digest += "\" ";
    WriteSettingBytes("INIT", "WIN", digest);
    WriteSetting("INIT", "OTHER", "x");
    EXPECT_EQ(ReadSettingBytes("init", "win"), digest);
    EXPECT_THROW(WriteSettingBytes("INIT", "WIN", "a\r\nb=c"), SettingsError);
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), digest);
}

TEST(Numbers, FixedPointTextBothWays)
{
    struct Case {
        const char* text;
        qint64 fixed;
        const char* written;
    } cases[] = {
        {"1.0098", 10098, "1.0098"}, {"20", 200000, "20"},     {"112.5", 1125000, "112.5"},
        {"5.0", 50000, "5"},         {" 7 ", 70000, "7"},      {"-0.5", -5000, "-0.5"},
        {"0.00005", 1, "0.0001"},    {"", 0, "0"},             {"abc", 0, "0"},
        {"1,5", 0, "0"},             {"2053", 20530000, "2053"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseFixed(c.text), c.fixed) << c.text;
        EXPECT_EQ(formatFixed(c.fixed), QString(c.written)) << c.text;
    }
}

// The forms the clerk sees: amounts with the comma, counts grouped by ".".
TEST(Numbers, AmountAndCountTextForTheClerk)
{
    const struct {
        const char* typed;
        qint64 fixed;
        const char* shown;
    } amounts[] = {
        {"1234,56", 12345600, "1234,56"}, {"1234.56", 12345600, "1234,56"}, {"20", 200000, "20"},
        {" 0,5 ", 5000, "0,5"},          {"", 0, "0"},                     {"1,2,3", 0, "0"},
    };
    for (const auto& c : amounts) {
        EXPECT_EQ(parseAmount(c.typed), c.fixed) << c.typed;
        EXPECT_EQ(formatAmount(c.fixed), QString(c.shown)) << c.typed;
    }
    const struct {
        qint64 count;
        const char* shown;
    } counts[] = {{0, "0"}, {999, "999"}, {1000, "1.000"}, {1375, "1.375"}, {1234567, "1.234.567"}, {-1375, "-1.375"}};
    for (const auto& c : counts)
        EXPECT_EQ(formatCount(c.count), QString(c.shown)) << c.count;
}

TEST_F(SettingsFiles, NumbersAndCounters)
{
    WriteSettingNumber("SERVER", "Versiune", 10098);
    EXPECT_EQ(ReadSetting("SERVER", "Versiune"), QString("1.0098"));
    EXPECT_EQ(ReadSettingNumber("SERVER", "Versiune"), 10098);
    EXPECT_EQ(ReadSettingNumber("SERVER", "absent"), 0);

    EXPECT_EQ(PeekKey("NRCRT"), 1);
    EXPECT_EQ(NextKey("NRCRT"), 1);
    EXPECT_EQ(ReadSetting("INDEX", "NRCRT"), QString("2"));
    WriteSetting("INDEX", "NROM", "5.0");
    EXPECT_EQ(NextKey("NROM"), 5);
    EXPECT_EQ(ReadSetting("INDEX", "NROM"), QString("6"));
    SetKey("IDLOG", 0);
    EXPECT_EQ(NextKey("IDLOG"), 1);
    SetKey("IDLOG", 41);
    EXPECT_EQ(PeekKey("IDLOG"), 41);
}

// Threads reserving blocks of different sizes at once: the blocks never
// overlap and together cover every key from 1 without a gap.
TEST_F(SettingsFiles, ConcurrentNextKeyBlocksNeverOverlap)
{
    constexpr int kThreads = 4, kEach = 40;
    std::vector<std::vector<qint64>> taken(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&taken, t] {
            for (int i = 0; i < kEach; ++i) {
                const qint64 first = NextKey("IDLOG", t + 1);
                for (int k = 0; k <= t; ++k)
                    taken[t].push_back(first + k);
            }
        });
    for (auto& th : threads)
        th.join();
    std::set<qint64> all;
    size_t total = 0;
    for (const auto& v : taken) {
        all.insert(v.begin(), v.end());
        total += v.size();
    }
    EXPECT_EQ(all.size(), total);
    EXPECT_EQ(*all.begin(), 1);
    EXPECT_EQ(*all.rbegin(), qint64(total));
    EXPECT_EQ(PeekKey("IDLOG"), qint64(total) + 1);
    EXPECT_THROW(NextKey("IDLOG", 0), std::invalid_argument);
}

TEST_F(SettingsFiles, MachineAndLocalSettingsLiveInTheirOwnFiles)
{
    WriteMachineSetting("CALE", paths().programFolder);
    ini::write(machineSettingsFile(), "TESTUS", "Test", "0");
    ini::eraseSection(machineSettingsFile(), "TESTUS");
    WriteLocalSetting("CONST", "EM", "x@y.ro");
    EXPECT_EQ(fileBytes(paths().systemFolder + "/Hestavo.ini"),
              "[92]\r\nCALE=" + paths().programFolder.toUtf8() + "\r\n");
    EXPECT_EQ(ReadMachineSetting("cale"), paths().programFolder);
    EXPECT_EQ(ReadLocalSetting("CONST", "EM"), QString("x@y.ro"));
    EXPECT_TRUE(QFile::exists(paths().programFolder + "/Local.set"));
    EXPECT_EQ(ReadSetting("CONST", "EM"), QString());
}

TEST_F(SettingsFiles, UnwritableFileRaisesAnError)
{
    paths().dataFolder = m_dir.path() + "/file-not-folder";
    putFile(paths().dataFolder, "x");
    EXPECT_THROW(WriteSetting("A", "B", "C"), SettingsError);
    EXPECT_EQ(ReadSetting("A", "B"), QString());
}

TEST(PathsDefaults, EnvironmentOverridesFolders)
{
    qputenv("HESTAVO_SYSTEM_DIR", "/tmp/hestavo-sys-test/");
    EXPECT_EQ(defaultSystemFolder(), QString("/tmp/hestavo-sys-test"));
    qunsetenv("HESTAVO_SYSTEM_DIR");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg");
#ifndef Q_OS_WIN
    EXPECT_EQ(defaultSystemFolder(), QString("/tmp/xdg/hestavo"));
#endif
    qputenv("HESTAVO_PROGRAM_DIR", "/tmp/hestavo-prog");
    EXPECT_EQ(defaultProgramFolder(), QString("/tmp/hestavo-prog"));
    qunsetenv("HESTAVO_PROGRAM_DIR");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(defaultUserIdentity().contains(" - "));
}

// With neither USERNAME nor USER set, the operator is the account the system
// reports, not "Necunoscut".
TEST(PathsDefaults, OperatorFallsBackToTheSystemAccount)
{
    const QByteArray user = qgetenv("USER"), username = qgetenv("USERNAME");
    qunsetenv("USER");
    qunsetenv("USERNAME");
    const QString identity = defaultUserIdentity();
    const QString account = systemAccountName();
    if (!user.isEmpty())
        qputenv("USER", user);
    if (!username.isEmpty())
        qputenv("USERNAME", username);
    ASSERT_FALSE(account.isEmpty());
    EXPECT_TRUE(identity.endsWith(" - " + account)) << identity.toStdString();
    EXPECT_FALSE(identity.contains("Necunoscut"));
}
