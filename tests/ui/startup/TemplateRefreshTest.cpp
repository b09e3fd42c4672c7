// Templates across starts: a deleted one comes back, a changed one stays,
// and the first start after an upgrade replaces exactly the templates the
// older version predates.
#include "Fixture.h"

#include "data/Settings.h"
#include "documents/TemplateStore.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Startup.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST_F(StartupFixture, TemplatesSurviveRestartsAndComeBackWhenDeleted)
{
    auto start = [&] {
        MainWindow main;
        StartupSplash splash(&main);
        return splash.RunStartup({}, m_program + "/hestavo");
    };
    ASSERT_EQ(start(), StartupSplash::Outcome::ShowMain);
    const QString data = m_program + "/Data/";
    for (const EditableTemplate& t : EditableTemplates())
        EXPECT_TRUE(QFileInfo::exists(data + t.file)) << t.file.toStdString();
    const QByteArray shippedStat = bytesOf(data + "Stat.xls");

    writeBytes(data + "Referat.rtf", "changed by the user");
    ASSERT_TRUE(QFile::remove(data + "Stat.xls"));
    ASSERT_EQ(start(), StartupSplash::Outcome::ShowMain);
    EXPECT_EQ(bytesOf(data + "Stat.xls"), shippedStat);
    EXPECT_EQ(bytesOf(data + "Referat.rtf"), QByteArray("changed by the user"));

    writeBytes(data + "Stat.xls", "changed too");
    ASSERT_EQ(start(), StartupSplash::Outcome::ShowMain);
    EXPECT_EQ(bytesOf(data + "Stat.xls"), QByteArray("changed too"));
}

TEST_F(StartupFixture, UpgradeReplacesTheTemplatesTheOldVersionPredates)
{
    QDir().mkpath(m_program + "/Data");
    paths().enginePrivateFolder = m_dir.path() + "/eng";
    QDir().mkpath(paths().enginePrivateFolder);
    CreateMissingTables();
    MaterializeTemplates();
    const QString data = m_program + "/Data/";
    QMap<QString, QByteArray> shipped;
    for (const EditableTemplate& t : EditableTemplates()) {
        shipped[t.file] = bytesOf(data + t.file);
        writeBytes(data + t.file, "user copy");
    }

    struct Case {
        qint64 version;
        QStringList replaced;
    };
    const Case cases[] = {
        {10061, {"ModelAncheta2.rtf", "Anexa15.xls", "Anexa16.xls", "ModCerere.rtf", "ModCerereS.rtf", "FisaV.rtf"}},
        {10068, {"FisaV.rtf"}},
        {10098, {}},
        {10020, {"Anexa14.xls", "Anexa15.xls", "Anexa16.xls", "Anexa17.xls", "Stat.xls", "ModelAncheta2.rtf",
                 "ModCerere.rtf", "ModCerereS.rtf", "FisaV.rtf", "Referat.rtf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        for (const EditableTemplate& t : EditableTemplates())
            writeBytes(data + t.file, "user copy");
        // A database of that version, its templates as old as its tables.
        ini::eraseSection(settingsFile(), "SERVER");
        WriteSettingNumber("SERVER", "Versiune", c.version);
        UpgradeSchema(ReplaceTemplates);
        for (const EditableTemplate& t : EditableTemplates())
            EXPECT_EQ(bytesOf(data + t.file), c.replaced.contains(t.file) ? shipped[t.file] : QByteArray("user copy"))
                << t.file.toStdString();
    }
}
