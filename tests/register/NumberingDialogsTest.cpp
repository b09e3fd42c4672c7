// The numbering and listing dialogs: the refusals shown at the field
// concerned (the dialog stays open), the automatic single number of the plain
// approvals, and a confirmed numbering with its closing message.
#include "RegisterFixture.h"

#include "ui/documents/DecisionListDialog.h"
#include "ui/documents/DecisionNumberingDialog.h"
#include "ui/documents/ReportNumberingDialog.h"
#include "ui/documents/ReportRangeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

class NumberingDialogsTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        hestavo::SetWorkingMonth("11.2024");
        AddRow({1, "11.2024", "POP ION", "1800101000000", "APROBAT", 2, 400, 10});
        AddRow({2, "11.2024", "RUS ANA", "2800101000000", "RESPINS", 2, 400, 12});
    }
    static void Fill(const std::initializer_list<std::pair<QLineEdit*, const char*>>& fields)
    {
        for (const auto& [field, text] : fields)
            field->setText(QString::fromLatin1(text));
    }
};

TEST_F(NumberingDialogsTest, DecisionNumberingRefusesBadInputAtItsField)
{
    const struct {
        const char* from;
        const char* to;
        const char* first;
        const char* hint;
        const char* control;
    } cases[] = {
        {"0", "5", "1", "Numar incorect!", "FromNumber"},
        {"1", "0", "1", "Numar incorect!", "ToNumber"},
        {"1", "5", "0", "Numar incorect!", "FirstNumber"},
        {"5", "3", "1", "Intervalul ales este incorect!", "FromNumber"},
    };
    for (const auto& c : cases) {
        testmode::clear();
        DecisionNumberingDialog dialog;
        Fill({{dialog.fromNumber, c.from}, {dialog.toNumber, c.to}, {dialog.firstNumber, c.first}});
        dialog.findChild<QPushButton*>("Number")->click();
        ASSERT_EQ(testmode::hints().size(), 1) << c.hint;
        EXPECT_EQ(testmode::hints()[0].text, c.hint);
        EXPECT_EQ(testmode::hints()[0].control, c.control);
        EXPECT_EQ(dialog.result(), 0) << "the dialog stays open";
    }
    EXPECT_EQ(Column("SELECT NR_DISP FROM " + quotedTable("Cereri.dbf") + " ORDER BY NRCRT", "NR_DISP"),
              QStringList({"D1", "D2"}));
}

TEST_F(NumberingDialogsTest, PlainApprovalsTickTheSingleNumberAndTheChoicesAreKept)
{
    {
        DecisionNumberingDialog dialog;
        EXPECT_FALSE(dialog.sameNumber->isChecked());
        const struct { int item; bool same; } choices[] = {{1, true}, {3, false}, {1, true}, {0, false}, {2, false}};
        for (const auto& c : choices) {
            dialog.selection->setCurrentIndex(c.item);
            EXPECT_EQ(dialog.sameNumber->isChecked(), c.same) << dialog.selection->currentText().toStdString();
        }
        dialog.selection->setCurrentIndex(5);
        dialog.date->setDate(QDate(2024, 11, 30));
        Fill({{dialog.fromNumber, "1"}, {dialog.toNumber, "20"}, {dialog.firstNumber, "50"}});
        testmode::clear();
        dialog.findChild<QPushButton*>("Number")->click();
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].title, "Numerotare dispozitii");
        EXPECT_EQ(testmode::messages()[0].text.trimmed(), "A fost numerotata 1 dispozitie (50).");
        EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    }
    EXPECT_EQ(Column("SELECT NR_DISP FROM " + quotedTable("Cereri.dbf") + " ORDER BY NRCRT", "NR_DISP"),
              QStringList({"D1", "50"}));
    DecisionNumberingDialog again;
    EXPECT_EQ(again.fromNumber->text(), "0") << "numbers start at 0 at every opening";
    EXPECT_EQ(again.selection->currentIndex(), 5);
    EXPECT_EQ(again.date->date(), QDate(2024, 11, 30));
}

TEST_F(NumberingDialogsTest, ReportAndListingDialogsRefuseReversedRanges)
{
    const struct {
        const char* from;
        const char* to;
        bool same;
        const char* first;
        const char* hint;   // "" = confirmed
        const char* control;
    } reports[] = {
        {"5", "3", false, "1", "Perioada incorecta!", "FromNumber"},
        {"1", "3", false, "0", "Primul numar incorect!", "FirstNumber"},
        {"1", "3", true, "0", "", ""},
    };
    for (const auto& c : reports) {
        testmode::clear();
        ReportNumberingDialog dialog;
        Fill({{dialog.fromNumber, c.from}, {dialog.toNumber, c.to}, {dialog.firstNumber, c.first}});
        (c.same ? dialog.sameAsApplication : dialog.fromFirst)->setChecked(true);
        dialog.findChild<QPushButton*>("Number")->click();
        if (*c.hint == 0) {
            EXPECT_TRUE(testmode::hints().isEmpty());
            EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
            continue;
        }
        ASSERT_EQ(testmode::hints().size(), 1);
        EXPECT_EQ(testmode::hints()[0].text, c.hint);
        EXPECT_EQ(testmode::hints()[0].control, c.control);
    }
    ReportNumberingDialog kept;
    EXPECT_EQ(kept.toNumber->text(), "3") << "the report dialog keeps its numbers";

    testmode::clear();
    DecisionListDialog list;
    EXPECT_EQ(list.fromNumber->text(), "1");
    Fill({{list.fromNumber, "5"}, {list.toNumber, "2"}});
    list.findChild<QPushButton*>("List")->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Intervalul ales este incorect!");

    testmode::clear();
    ReportRangeDialog range;
    EXPECT_EQ(range.date->date(), QDate::currentDate()) << "the first use in a run starts at today";
    Fill({{range.fromNumber, "5"}, {range.toNumber, "2"}});
    range.findChild<QPushButton*>("List")->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Interval incorect!");
}

} // namespace

// The closing messages count what was numbered and give the numbers.
TEST(NumberingSummary, CountsAndNumbers)
{
    const struct {
        int count;
        bool same;
        const char* decisions;
        const char* reports;
    } cases[] = {
        {112, false, "Au fost numerotate 112 dispozitii (2001\u20132112).", "Au fost numerotate 112 referate (2001\u20132112)."},
        {1375, false, "Au fost numerotate 1.375 dispozitii (2001\u20133375).", "Au fost numerotate 1.375 referate (2001\u20133375)."},
        {1, false, "A fost numerotata 1 dispozitie (2001).", "A fost numerotat 1 referat (2001)."},
        {5, true, "Au fost numerotate 5 dispozitii (toate cu numarul 2001).", "Au fost numerotate 5 referate (cu numarul cererii)."},
        {0, false, "Nu a fost numerotata nicio dispozitie (nicio cerere aleasa).", "Nu a fost numerotat niciun referat (nicio cerere aleasa)."},
    };
    for (const auto& c : cases) {
        hestavo::DecisionNumbering d;
        d.first = 2001;
        d.sameNumber = c.same;
        EXPECT_EQ(hestavo::DecisionNumberingSummary(c.count, d), QString::fromUtf8(c.decisions));
        hestavo::ReportNumbering r;
        r.first = 2001;
        r.sameAsApplication = c.same;
        EXPECT_EQ(hestavo::ReportNumberingSummary(c.count, r), QString::fromUtf8(c.reports));
    }
}
