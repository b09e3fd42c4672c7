// Adding, modifying and deleting one application: all or nothing.
#include "RegisterFixture.h"

#include "register/ApplicationStore.h"

using namespace hestavo;

namespace {

ApplicationRecord Record()
{
    ApplicationRecord r;
    r.applicant = "POP \"ION\"";
    r.cnp = "1800101123450";
    r.locality = "SAT";
    r.members = 2;
    r.totalIncome = 400 * kMoneyUnit;
    r.status = "APROBAT";
    r.number = 4;
    r.date = QDate(2024, 12, 2);
    return r;
}

} // namespace

TEST_F(RegisterTest, AddWritesTheRowTheMembersAndTheLogTogether)
{
    const QString temp = m_dir.path() + "/Temp/FOm0.dbf";
    CreateMembersTable(temp);
    Exec("INSERT INTO " + quotedPath(temp) + " (NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE) VALUES (7, -2, \"A\", \"1\", 5, \"copil\")");
    SetKey("NRCRT", 30);
    const qint64 key = AddApplication(Record(), temp, MonthToSerial("12.2024"));
    EXPECT_EQ(key, 30);
    EXPECT_EQ(Text("SELECT TITULAR FROM " + quotedTable("Cereri.dbf"), "TITULAR"), "POP  ION") << "a quote cannot end the literal";
    EXPECT_EQ(Column("SELECT NRCRT FROM " + quotedTable("Oameni.dbf"), "NRCRT"), QStringList({"30"}));
    EXPECT_EQ(Count("Log.dbf"), 1);
    EXPECT_FALSE(QFile::exists(temp)) << "the temporary members table is deleted";
}

TEST_F(RegisterTest, FailedAddLeavesTheTablesAsTheyWere)
{
    const QByteArray cereri = FileBytes("Cereri.dbf");
    // The members table is missing: the insert of the members fails after the row was written.
    EXPECT_THROW(AddApplication(Record(), m_dir.path() + "/Temp/missing.dbf", MonthToSerial("12.2024")), std::exception);
    EXPECT_EQ(Count("Cereri.dbf"), 0);
    EXPECT_EQ(Count("Log.dbf"), 0);
    EXPECT_EQ(FileBytes("Cereri.dbf"), cereri);
}

TEST_F(RegisterTest, ModifyKeepsTheKeysAndTheNumbering)
{
    AddRow({5, "12.2024", "VECHI", "1800101123450"});
    Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET NR_REF=12, DATADISP=\"05.12.2024\" WHERE NRCRT=5");
    ModifyApplication(5, Record());
    const QString row = "SELECT * FROM " + quotedTable("Cereri.dbf") + " WHERE NRCRT=5";
    EXPECT_EQ(Text(row, "TITULAR"), "POP  ION");
    EXPECT_EQ(Text(row, "NR_DISP"), "D5");
    EXPECT_EQ(Text(row, "NR_REF"), "12");
    EXPECT_EQ(Text(row, "DATADISP"), "05.12.2024");
    EXPECT_EQ(Text(row, "LUNACRT"), QString::number(MonthToSerial("12.2024")));
    EXPECT_EQ(Text("SELECT ACTIUNE FROM " + quotedTable("Log.dbf"), "ACTIUNE"), "Modificare Cerere 4 - POP ION");
}
