// The dates the backup service sends (its clock in a reply line, the save
// times in its list table) are read as day counts; a value no date can hold,
// from a faulty or hostile service, gives no date instead of undefined
// arithmetic or a nonsense year.
#include "backup/RemoteBackup.h"
#include "data/Db.h"
#include "data/Paths.h"
#include "protocol/RequestFile.h"
#include "tests/backup/ProgramFolderFixture.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace backup;

namespace {

const struct DateCase {
    const char* sent;
    const char* shown; // dd.MM.yyyy HH:mm:ss, or empty for no date
} kDates[] = {
    {"45000.5", "15.03.2023 12:00:00"},
    {"0", "30.12.1899 00:00:00"},
    {"2958465.25", "31.12.9999 06:00:00"},
    {"2958466", ""},
    {"1e300", ""},
    {"-1e18", ""},
    {"9.3e13", ""},
    {"inf", ""},
    {"nan", ""},
};

QString shown(const QDateTime& when)
{
    return when.isValid() ? when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString();
}

} // namespace

class ServiceDates : public ProgramFolderFixture {};

TEST_F(ServiceDates, ServerClockOfAReply)
{
    for (const DateCase& c : kDates) {
        const QString file = paths().tempFolder + "/reply.cmd";
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(QByteArray("/NOWSERVER ") + c.sent + "\r\n/END\r\n");
        out.close();
        RemoteReply reply;
        ASSERT_TRUE(protocol::readCommandFile(file, &reply.reply));
        EXPECT_EQ(shown(reply.serverTime()), QString::fromLatin1(c.shown)) << c.sent;
    }
}

TEST_F(ServiceDates, SaveTimesOfTheListTable)
{
    const QString table = paths().tempFolder + "/Stoc.dbf";
    Db().exec(sqlLines({"CREATE TABLE " + quotedPath(table), "(IDSTOC DECIMAL(12,0), DATAORA DECIMAL(17,8), OBS CHAR(120))"}));
    int id = 0;
    for (const DateCase& c : kDates) {
        if (QByteArray(c.sent).contains('n') || QByteArray(c.sent).contains('e'))
            continue; // a decimal field holds plain digits only
        Db().exec(sqlLines({"INSERT INTO " + quotedPath(table) + " (IDSTOC, DATAORA, OBS)",
                            QStringLiteral("VALUES (%1, %2, \"salvare %1\")").arg(++id).arg(QString::fromLatin1(c.sent))}));
    }
    Db().exec(sqlLines({"INSERT INTO " + quotedPath(table) + " (IDSTOC, DATAORA, OBS)",
                        "VALUES (99, 99999999, \"prea departe\")"}));
    const QList<StoredBackup> list = ReadStoredBackups(table);
    ASSERT_EQ(list.size(), id + 1);
    int row = 0;
    for (const DateCase& c : kDates) {
        if (QByteArray(c.sent).contains('n') || QByteArray(c.sent).contains('e'))
            continue;
        EXPECT_EQ(shown(list[row].saved), QString::fromLatin1(c.shown)) << c.sent;
        EXPECT_EQ(list[row].note, QStringLiteral("salvare %1").arg(row + 1));
        ++row;
    }
    EXPECT_EQ(list.last().id, "99");
    EXPECT_FALSE(list.last().saved.isValid());
    resetDb();
}
