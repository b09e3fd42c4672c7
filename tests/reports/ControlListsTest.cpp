// The three list workbooks and the persons dBase file of a month, read back by
// xlrd and dbfread.
#include "ReportsFixture.h"

#include "documents/SpreadsheetOutput.h"
#include "register/Cnp.h"
#include "reports/ControlLists.h"
#include "reports/ExportError.h"
#include "reports/PersonsDbfExport.h"

#include <QFile>

using namespace hestavo;

namespace {

QString ValidCnp(const QString& first12) { return first12 + QString::number(Cnp::controlDigit(first12)); }

} // namespace

class ControlListsTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        SpreadsheetOutput::FreshTempFile = [this](const QString& stem, const QString& ext) {
            return m_dir.path() + "/Temp/" + stem + QString::number(++m_files) + ext;
        };
        // 1: approved with aid, holder + a partner with a one-word name and no income.
        AddApplication(1, "01.2024", {{"NR_CERE", "7"}, {"TITULAR", "\"POP ION\""}, {"CNP", '"' + m_holder + '"'},
                                      {"LOCALIT", "\"Ighiu\""}, {"ADRESA", "\"Str. Mare 4\""}, {"NR_MEMBRI", "2"},
                                      {"VENITM", "300"}, {"NR_DISP", "\"15\""}, {"CUANTUM", "320"}, {"STCIV", "\"C\""},
                                      {"SITSCOL", "\"S\""}, {"TVENIT", "600"}, {"NRCAM", "2"}});
        AddMember(1, 1, "POP ION", m_holder, "beneficiar", 600);
        AddMember(2, 1, "MARIA", m_partner, "partener", 0);
        // 2: modified, no members. 3: rejected, one member (only in the DBF).
        AddApplication(2, "01.2024", {{"NR_CERE", "3"}, {"TITULAR", "\"ANA DAN\""}, {"CNP", '"' + m_other + '"'},
                                      {"STATUT", "\"MODIFICAT\""}, {"LOCALIT", "\"Bucerdea\""}});
        AddApplication(3, "01.2024", {{"NR_CERE", "9"}, {"TITULAR", "\"RUS DAN\""}, {"STATUT", "\"RESPINS\""}});
        AddMember(3, 3, "RUS DAN", m_other, "beneficiar", 100);
        // The same person twice in application 3 with another relation.
        AddMember(4, 3, "RUS DAN", m_other, "adult", 100);
    }

    int m_files = 0;
    const QString m_holder = ValidCnp("180010112345"), m_partner = ValidCnp("285020212345"),
                  m_other = ValidCnp("170010112345");
};

TEST_F(ControlListsTest, PersonsListHasTheAidedMembersWithAgeFormulas)
{
    const QString file = PersonsAgeList("01.2024");
    QStringList persons = XlsRows(file, 6, 2, 5);
    persons.sort();  // the engine's order of the join is not fixed
    EXPECT_EQ(persons, (QStringList{"1|POP ION|" + m_holder + "|600|beneficiar", "2|MARIA|" + m_partner + "||partener"}))
        << "a zero income is left empty";
    EXPECT_NE(XlsRows(file, 8, 1, 1).value(0), "3") << "only two persons are listed";
}

TEST_F(ControlListsTest, MembersSituationPairsEachApplicantWithEachMember)
{
    const QString file = MembersSituationList("01.2024");
    EXPECT_EQ(XlsRows(file, 4, 3, 8),
              (QStringList{"1|ANA|DAN|" + m_other + "||||Bucerdea",
                           "2|POP|ION|" + m_holder + "||MARIA|" + m_partner + "|Ighiu",
                           "3|POP|ION|" + m_holder + "|POP|ION|" + m_holder + "|Ighiu"}));
}

TEST_F(ControlListsTest, RiskControlListRows)
{
    WriteSetting("SETARI", "PRIMARIA", "Comuna \"Ighiu\"");
    const QString file = RiskControlList("01.2024", "01", "2024");
    // Address, locality and county; the UAT name's quotes become spaces and are
    // cleaned away; the local-budget column keeps the template's 0.
    EXPECT_EQ(XlsRows(file, 7, 3, 18),
              (QStringList{"1|ANA DAN|" + m_other + "|Bucerdea JUD ALBA||1||||0|AB|Comuna Ighiu|01|2024||||",
                           "2|POP ION|" + m_holder + "|Str. Mare 4 Ighiu JUD ALBA||2|300|15|320|0|AB|Comuna Ighiu|01|2024|C|S|600|2"}))
        << "the rejected application is not listed";
}

TEST_F(ControlListsTest, PersonsDbfHasEveryMemberOnceWithTheLastRelation)
{
    const QString path = OutFolder() + "/persoane.dbf";
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_EQ(ExportPersonsDbf("01.2024", path), 3);
    const QString rows = Python("import sys, dbfread\n"
                                "for r in sorted(dbfread.DBF(sys.argv[1], encoding='cp1250'), key=lambda r: r['NUME']):\n"
                                "    print(r['NUME'], r['CNP'], int(r['NR_CERE']), r['TIPC'], sep='|')\n",
                                {path});
    EXPECT_EQ(rows.split('\n', Qt::SkipEmptyParts),
              (QStringList{"MARIA|" + m_partner + "|7|Lemne partener", "POP ION|" + m_holder + "|7|Lemne beneficiar",
                           "RUS DAN|" + m_other + "|9|Lemne beneficiar"}))
        << "the rejected application's members are included; the relation that sorts last wins";
}

TEST_F(ControlListsTest, RiskControlListRefusesWithoutCounty)
{
    WriteSetting("SETARI", "JUDET", "");
    try {
        RiskControlList("01.2024", "01", "2024");
        FAIL() << "refused without a county";
    } catch (const ExportError& e) {
        EXPECT_EQ(e.message(), "\nNu ati ales la Administrare Judetul!");
    }
}
