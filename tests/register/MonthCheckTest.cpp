// The check of the working month before reporting: a month holding one case
// of each rule beside a clean application finds exactly those cases, with
// their weights; another month's rows are not looked at.
#include "RegisterFixture.h"

#include "register/AdminSettings.h"
#include "register/MonthCheck.h"
#include "register/WorkingMonth.h"
#include "tools/demo-db/DemoDatabase.h"
#include "ui/register/ApplicationEditor.h"
#include "ui/register/MonthCheckWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace hestavo;

namespace {

// A valid CNP of a man born on 01.01.1980 with the serial given.
QString ValidCnp(int serial)
{
    const std::string first12 = "180010140" + QString::number(serial).rightJustified(3, '0').toStdString();
    return QString::fromStdString(first12 + demodb::cnpControlDigit(first12));
}

class MonthCheckTest : public RegisterTest {
protected:
    // An application of 12.2024 that passes every rule: holder and members
    // with their own valid CNPs, a decision, an address, aid within the brackets.
    void AddClean(int key, int members = 2)
    {
        AddRow({key, "12.2024", "TITULAR " + QString::number(key), ValidCnp(key * 10), "APROBAT", members, 400, key});
        Set(key, "ADRESA=\"STR. MARE 1\", DATACERE=\"02.12.2024\", DATADISP=\"10.12.2024\"");
        for (int m = 0; m < members; ++m)
            AddMember(key * 10 + m, key, "MEMBRU " + QString::number(m), ValidCnp(key * 10 + m));
    }
    static void Set(int key, const QString& assignments)
    {
        Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET " + assignments + " WHERE NRCRT=" + QString::number(key));
    }
    static void SetMember(int nrom, const QString& assignments)
    {
        Exec("UPDATE " + quotedTable("Oameni.dbf") + " SET " + assignments + " WHERE NROM=" + QString::number(nrom));
    }
};

} // namespace

TEST_F(MonthCheckTest, EachRuleFindsItsCaseAndNothingElse)
{
    const struct {
        int key;
        std::function<void()> make;   // after AddClean(key)
        QStringList rules;            // found on this application
    } cases[] = {
        {1, [] {}, {}},
        {2, [] { Set(2, "CNP=\"1800101123451\""); SetMember(20, "CNP=\"1800101123451\""); }, {"CNP incorect"}},
        {3, [] { SetMember(31, "CNP=\"" + ValidCnp(40) + "\""); }, {"CNP in doua cereri"}},
        {4, [] {}, {"CNP in doua cereri"}},   // its holder is a member of 3
        {5, [] { Set(5, "NR_DISP=\"\""); }, {"Ajutor fara dispozitie"}},
        {6, [] { Set(6, "TVENIT=9000"); }, {"Venit peste plafon"}},
        {7, [] { Set(7, "FURNG=\"ENGIE\", CODCLG=\"G-77\", SUMAG=10"); }, {"Contract in doua cereri"}},
        {8, [] { Set(8, "FURNG=\"engie\", CODCLG=\"g-77\", SUMAG=10"); }, {"Contract in doua cereri"}},
        {9, [] { Set(9, "NR_MEMBRI=3"); }, {"Membri diferiti"}},
        {10, [] { Set(10, "STATUT=\"RESPINS\", MOTIVR=\"venit\""); }, {"Suma pe cerere oprita"}},
        {11, [] { Set(11, "TOTAL=0, CUANTUM=0"); }, {"Fara ajutor"}},
        {12, [] { Set(12, "DATACERE=\"05.01.2025\""); }, {"Data cererii"}},
        {13, [] { Set(13, "DATACERE=\"11.12.2024\""); }, {"Data cererii"}},   // after its decision
        {14, [] { Set(14, "ADRESA=\"\""); }, {"Adresa lipsa"}},
        {15, [] { Set(15, "NR_DISP=\"D99\""); }, {"Dispozitie comuna"}},
        {16, [] { Set(16, "NR_DISP=\"D99\", STATUT=\"INCETAT\", MOTIVR=\"x\", TOTAL=0, CUANTUM=0"); }, {"Dispozitie comuna"}},
        {17, [] { Set(17, "FURNE=\"CEZ\", PODE=\"RO001\", SUMAE=20"); }, {"Contract in doua cereri"}},
        {18, [] { Set(18, "FURNE=\"ENEL\", PODE=\"RO001\", SUMAE=20"); }, {"Contract in doua cereri"}},
    };
    for (const auto& c : cases) {
        AddClean(c.key);
        c.make();
    }
    // Another month: the same CNP as application 1 there is no finding here.
    AddRow({90, "11.2024", "TITULAR 1", ValidCnp(10), "APROBAT", 1, 400, 90});

    const std::vector<MonthFinding> findings = CheckMonth(MonthToSerial("12.2024"), LoadAdminSettings().brackets);
    QMap<int, QSet<QString>> found;
    for (const MonthFinding& f : findings) {
        found[int(f.key)] << f.rule;
        EXPECT_EQ(f.blocking, IsBlockingRule(f.rule)) << f.rule.toStdString();
        EXPECT_EQ(f.number, f.key) << "NR_CERE of the application";
        EXPECT_EQ(f.holder, "TITULAR " + QString::number(f.key));
        EXPECT_FALSE(f.detail.isEmpty()) << f.rule.toStdString();
    }
    for (const auto& c : cases)
        EXPECT_EQ(found.value(c.key), QSet<QString>(c.rules.begin(), c.rules.end())) << "application " << c.key;
    EXPECT_FALSE(found.contains(90));
    EXPECT_EQ(BlockingCount(findings), int(std::count_if(findings.begin(), findings.end(),
                                                         [](const MonthFinding& f) { return IsBlockingRule(f.rule); })));
    QStringList weights;
    for (const QString& rule : MonthCheckRules())
        weights << rule + (IsBlockingRule(rule) ? " blocant" : "");
    EXPECT_EQ(weights, QStringList({"CNP incorect blocant", "CNP in doua cereri blocant", "Ajutor fara dispozitie blocant",
                                    "Venit peste plafon blocant", "Contract in doua cereri blocant",
                                    "Membri diferiti blocant", "Suma pe cerere oprita blocant", "Fara ajutor",
                                    "Data cererii", "Adresa lipsa", "Dispozitie comuna"}));
}

TEST_F(MonthCheckTest, FindingsAreListedByApplicationNumberAndSummedByRule)
{
    AddClean(2);
    Set(2, "NR_CERE=5, ADRESA=\"\", NR_DISP=\"\"");
    AddClean(1);
    Set(1, "NR_CERE=9, TVENIT=9000");
    const std::vector<MonthFinding> findings = CheckMonth(MonthToSerial("12.2024"), LoadAdminSettings().brackets);
    QStringList listed;
    for (const MonthFinding& f : findings)
        listed << QString::number(f.number) + " " + f.rule;
    EXPECT_EQ(listed, QStringList({"5 Ajutor fara dispozitie", "5 Adresa lipsa", "9 Venit peste plafon"}));
    EXPECT_EQ(FindingsSummary(findings), QStringList({"3 constatari: 2 blocante, 1 avertismente",
                                                      "Ajutor fara dispozitie: 1", "Venit peste plafon: 1",
                                                      "Adresa lipsa: 1"}));
    const workbook::GridData grid = FindingsGrid(findings);
    ASSERT_EQ(grid.rows.size(), 3u);
    EXPECT_EQ(grid.rows[0][0].text, "BLOCANT");
    EXPECT_EQ(grid.rows[1][0].text, "avertisment");
}

// The window lists the findings; Enter on a finding opens its application in
// the editor, and the list is checked again when the editor closes.
TEST_F(MonthCheckTest, TheWindowOpensTheApplicationAndChecksAgainAfterTheEditor)
{
    SetWorkingMonth("12.2024");
    AddClean(1);
    AddClean(2);
    Set(2, "ADRESA=\"\"");
    MonthCheckWindow window;
    window.refresh();
    ASSERT_EQ(window.grid->rowCount(), 1);
    EXPECT_EQ(window.grid->item(0, 4)->text(), "Adresa lipsa");
    EXPECT_EQ(window.summary->text(), "1 constatari: 0 blocante, 1 avertismente\nAdresa lipsa: 1");

    ApplicationEditor& e = ApplicationEditor::instance();
    QString seen;
    QTimer::singleShot(0, [&] {
        seen = e.windowTitle() + "|" + e.applicant->text();
        Set(2, "ADRESA=\"STR. NOUA 2\"");   // mended meanwhile, as from another workstation
        QTest::mouseClick(e.cancelButton, Qt::LeftButton);
    });
    window.grid->setFocus();
    QTest::keyClick(window.grid, Qt::Key_Return);
    EXPECT_EQ(seen, "Modificare cerere|TITULAR 2");
    EXPECT_EQ(window.grid->rowCount(), 0) << "checked again when the editor closed";
    EXPECT_EQ(window.summary->text(), "0 constatari: 0 blocante, 0 avertismente");
}
