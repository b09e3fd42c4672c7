// The application editor: its refusals in order, the values it hands to the
// register, the CNP look-up, the child counts and the cancelled new application.
#include "DialogKeys.h"
#include "RegisterFixture.h"

#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/register/ApplicationEditor.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/MemberDialog.h"
#include "ui/register/SupplementDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace hestavo;

namespace {

class EditorTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        SetWorkingMonth("12.2024");
    }
    // A new application that passes every check.
    ApplicationEditor& NewApplication()
    {
        ApplicationEditor& e = ApplicationEditor::instance();
        e.beginAdd();
        e.newNumbering->setChecked(false);
        e.status->setCurrentText("APROBAT");
        e.dateField->setDate(QDate(2024, 12, 2));
        e.cnpField->setText("1800101123450");
        e.applicant->setText("POP ION");
        e.locality->setEditText("SAT");
        e.members->setText("2");
        e.income->setText("400");
        e.startYear->setText("2024");
        e.period->setText("4");
        e.numberField->setText("7");
        return e;
    }
    static QString LastHint() { return testmode::hints().isEmpty() ? QString() : testmode::hints().last().text; }
};

struct Refusal {
    const char* rule;
    std::function<void(ApplicationEditor&)> change;
    const char* hint;      // "" = accepted
    const char* control;
};

} // namespace

TEST_F(EditorTest, ChecksRefuseInTheirOrder)
{
    const Refusal cases[] = {
        {"number 0", [](ApplicationEditor& e) { e.numberField->setText("0"); }, "Numar de cerere incorect!", "Number"},
        {"year 2020", [](ApplicationEditor& e) { e.startYear->setText("2020"); }, "Anul este incorect!", "StartYear"},
        {"year 2301", [](ApplicationEditor& e) { e.startYear->setText("2301"); }, "Anul este incorect!", "StartYear"},
        {"year 2021", [](ApplicationEditor& e) { e.startYear->setText("2021"); }, "", ""},
        {"year 2300", [](ApplicationEditor& e) { e.startYear->setText("2300"); }, "", ""},
        {"period 0 with aid", [](ApplicationEditor& e) { e.period->setText("0"); }, "Perioada incorecta pentru Ajutor!", "Period"},
        {"period 6 with aid", [](ApplicationEditor& e) { e.period->setText("6"); }, "Perioada incorecta pentru Ajutor!", "Period"},
        {"period 0 without aid",
         [](ApplicationEditor& e) {
             e.period->setText("0");
             e.heatingAid->setChecked(false);
         },
         "", ""},
        {"no name", [](ApplicationEditor& e) { e.applicant->setText(" \" "); }, "Lipseste numele si prenumele titularului!", "Applicant"},
        {"no locality", [](ApplicationEditor& e) { e.locality->setEditText(" "); }, "Lipseste Localitatea titularului!", "Locality"},
        {"no members", [](ApplicationEditor& e) { e.members->setText("0"); }, "Numar de membri incorect!", "Members"},
        {"refused without a reason", [](ApplicationEditor& e) { e.status->setCurrentText("RESPINS"); }, "Nu ati scris motivul!", "Reason"},
        {"2 + 1 children in a household of 3",
         [](ApplicationEditor& e) {
             e.members->setText("3");
             e.children14->setText("2");
             e.children18->setText("1");
         },
         "Mai multi copii decat membri!", "Children14"},
        {"1 + 1 children in a household of 3",
         [](ApplicationEditor& e) {
             e.members->setText("3");
             e.income->setText("600");
             e.children14->setText("1");
             e.children18->setText("1");
         },
         "", ""},
        {"active, income above every limit, aid box off",
         [](ApplicationEditor& e) {
             e.income->setText("5000");
             e.heatingAid->setChecked(false);
         },
         "Cererea NU poate fi APROBATA!", "Status"},
        {"same income refused with a reason",
         [](ApplicationEditor& e) {
             e.income->setText("5000");
             e.status->setCurrentText("RESPINS");
             e.reason->setEditText("venit peste limita");
         },
         "", ""},
        {"number already in the month",
         [](ApplicationEditor& e) { e.numberField->setText("3"); },
         "Mai exista acest numar de cerere in luna aceasta!", "Number"},
    };
    AddRow({1, "12.2024", "ALT OM", "1900101000006", "APROBAT", 2, 400, 3});
    for (const Refusal& c : cases) {
        testmode::clear();
        ApplicationEditor& e = NewApplication();
        c.change(e);
        e.saveApplication();
        EXPECT_EQ(LastHint(), QString::fromLatin1(c.hint)) << c.rule;
        if (*c.hint) {
            EXPECT_EQ(testmode::hints().last().control, QString::fromLatin1(c.control)) << c.rule;
        }
        EXPECT_EQ(e.isSaved(), *c.hint == 0) << c.rule;
        e.finish();
    }
}

TEST_F(EditorTest, AcceptedValuesAndCounter)
{
    SetKey("NR_CERE", 20);
    ApplicationEditor& e = NewApplication();
    e.income->setText("400.02");   // average 200.01: second bracket
    e.saveApplication();
    ASSERT_TRUE(e.isSaved());
    const ApplicationRecord r = e.record();
    EXPECT_EQ(r.monthlyAid, 288);
    EXPECT_EQ(r.totalAid, 4 * 288);
    EXPECT_EQ(r.averageIncome, 2000100);
    EXPECT_EQ(r.firstAidMonth, 2024 * 12 + 10);   // default start month "11"
    EXPECT_EQ(r.number, 7);
    EXPECT_EQ(PeekKey("NR_CERE"), 8) << "the counter follows the accepted number, even downwards";
    const QString temp = e.membersTable();
    e.finish();
    EXPECT_TRUE(QFileInfo::exists(temp)) << "the register still needs the accepted members";
}

TEST_F(EditorTest, RefusedOrStoppedApplicationLosesItsContracts)
{
    ApplicationEditor& e = NewApplication();
    e.gas = {"POP ION", "1800101123450", "E.ON", "C123", "P1", 100000};
    e.status->setCurrentText("INCETAT");
    e.reason->setEditText("plecat");
    e.saveApplication();
    ASSERT_TRUE(e.isSaved());
    const ApplicationRecord r = e.record();
    EXPECT_EQ(r.gas, (SupplyContract{"POP ION", "1800101123450", "", "", "", 0}));
    EXPECT_EQ(r.solidFuel, 0);
    EXPECT_EQ(r.monthlyAid, 0);
    EXPECT_EQ(r.reason, "plecat");
    e.finish();
}

TEST_F(EditorTest, InvalidCnpAsksAndGoesOnOnlyOnYes)
{
    const struct {
        Answer answer;
        bool saved;
    } cases[] = {{Answer::No, false}, {Answer::Yes, true}};
    for (const auto& c : cases) {
        testmode::clear();
        ApplicationEditor& e = NewApplication();
        e.cnpField->setText("1800101123451");
        testmode::answerMessage(c.answer);
        e.saveApplication();
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].title, "Verificare date");
        EXPECT_EQ(testmode::messages()[0].text, "\rCNP incorect!\rContinuam asa?");
        EXPECT_TRUE(testmode::hints().isEmpty()) << "a No stops silently";
        EXPECT_EQ(e.isSaved(), c.saved);
        e.finish();
    }
}

TEST_F(EditorTest, CnpLookUpFillsTheFormFromTheLatestApplication)
{
    AddRow({1, "10.2024", "POP ION VECHI", "1800101123450", "APROBAT", 2, 300, 4});
    AddRow({2, "11.2024", "POP ION", "1800101123450", "APROBAT", 3, 600, 5});
    AddMember(1, 2, "POP ION", "1800101123450", "beneficiar");
    AddMember(2, 2, "POP MIHAI", "5000101400004");
    SetKey("NROM", 10);
    ApplicationEditor& e = ApplicationEditor::instance();
    e.beginAdd();
    e.newNumbering->setChecked(false);
    e.cnpField->setText("1800101123450");
    EXPECT_EQ(e.applicant->text(), "POP ION");
    EXPECT_EQ(e.members->text(), "3");
    EXPECT_EQ(e.numberField->text(), "5");
    ASSERT_FALSE(testmode::hints().isEmpty());
    EXPECT_EQ(testmode::hints().last().text, "A mai depus cererea nr.5 / 01.11.2024.");
    EXPECT_EQ(testmode::hints().last().control, "Cnp");
    ASSERT_EQ(e.memberCount(), 2);
    EXPECT_EQ(Column("SELECT NROM FROM " + quotedPath(e.membersTable()) + " ORDER BY NROM", "NROM"),
              QStringList({"10", "11"}));
    e.finish();

    e.beginAdd();
    e.newNumbering->setChecked(true);
    const QString proposed = e.numberField->text();
    e.cnpField->setText("1800101123450");
    EXPECT_EQ(e.numberField->text(), proposed) << "numerotare noua keeps the proposed number";
    e.finish();
}

TEST_F(EditorTest, CancelledNewApplicationDeletesItsMembersTable)
{
    ApplicationEditor& e = NewApplication();
    const QString temp = e.membersTable();
    ASSERT_TRUE(QFileInfo::exists(temp));
    testmode::answerMessage(Answer::Yes);   // "Renuntati la modificari?"
    e.reject();
    EXPECT_FALSE(e.finish());
    EXPECT_FALSE(QFileInfo::exists(temp));
}

TEST_F(EditorTest, ChildCountsFollowTheCalendarBoundaries)
{
    // Application date 15.03.2024: 14 years before is 15.03.2010, 18 years 15.03.2006.
    const struct {
        const char* rule;
        const char* cnp;
        int upTo14;
        int over14;
    } cases[] = {
        {"born a day after the 14-year boundary", "5100316400002", 1, 0},
        {"born exactly 14 years before", "5100315400009", 0, 1},
        {"born exactly 18 years before", "5060315400001", 0, 1},
        {"born a day before the 18-year boundary", "5060314400004", 0, 0},
        {"unreadable code", "ABC", 0, 0},
        {"no code", "", 0, 0},
    };
    for (const auto& c : cases) {
        ApplicationEditor& e = NewApplication();
        e.updateFromMembers->setChecked(true);
        e.dateField->setDate(QDate(2024, 3, 15));
        const QString table = quotedPath(e.membersTable());
        Exec("INSERT INTO " + table + " (NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE) VALUES (1, -2, \"X\", \""
             + QString::fromLatin1(c.cnp) + "\", 150.5, \"copil\")");
        Exec("INSERT INTO " + table + " (NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE) VALUES (2, -2, \"Y\", \"1800101123450\", 100, \"beneficiar\")");
        e.refreshMembers();
        e.RecountFromMembers();
        EXPECT_EQ(e.children14->text(), QString::number(c.upTo14)) << c.rule;
        EXPECT_EQ(e.children18->text(), QString::number(c.over14)) << c.rule;
        EXPECT_EQ(e.members->text(), "2") << c.rule;
        EXPECT_EQ(e.income->text(), "250,5") << c.rule;
        e.finish();
    }
}

TEST_F(EditorTest, MemberButtonsOnAnEmptyListDoNothing)
{
    ApplicationEditor& e = NewApplication();
    ASSERT_EQ(e.memberCount(), 0);
    e.modifyMember();
    e.deleteMember();
    EXPECT_TRUE(testmode::messages().isEmpty());
    EXPECT_EQ(Count("Oameni.dbf"), 0);
    e.finish();
}

TEST_F(EditorTest, AddMemberProposesTheApplicantThenTheFamilyName)
{
    ApplicationEditor& e = NewApplication();
    e.applicant->setText("POP ION");
    QStringList proposed;
    const auto answer = [&](const char* name, const char* cnp) {
        QTimer::singleShot(0, [&, name, cnp] {
            MemberDialog& d = e.memberDialog();
            proposed << d.nameField->text() + "|" + d.cnpField->text();
            d.nameField->setText(QString::fromLatin1(name));
            d.cnpField->setText(QString::fromLatin1(cnp));
            d.incomeField->setText("120.5");
            d.save();
        });
        e.addMember();
    };
    answer("POP ION", "1800101123450");
    answer("POP ANA", "2800229123459");
    EXPECT_EQ(proposed, QStringList({"POP ION|1800101123450", "POP |"}));
    EXPECT_EQ(e.memberCount(), 2);
    EXPECT_EQ(Column("SELECT NRCRT FROM " + quotedPath(e.membersTable()), "NRCRT"), QStringList({"-2", "-2"}));
    e.finish();
}

// The proposed name is kept: the caret stands after it and what the clerk
// types next is added to it, as it is typed into the real dialog.
TEST_F(EditorTest, TypingAfterTheProposedNameKeepsIt)
{
    ApplicationEditor& e = NewApplication();
    e.applicant->setText("POP ION");
    e.show();
    QApplication::setActiveWindow(&e);
    const struct {
        const char* typed;
        const char* cnp;
        const char* stored;
    } cases[] = {
        {"", "1800101123450", "POP ION"},   // the applicant, proposed whole
        {"ANA", "2800229123459", "POP ANA"},   // the family name, then the first name
        {"MIHAI", "5010101123455", "POP MIHAI"},
    };
    QStringList stored;
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&c] {
            auto* dialog = qobject_cast<MemberDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            QWidget* focused = dialog->focusWidget();
            ASSERT_NE(focused, nullptr);
            EXPECT_EQ(focused->objectName(), "Name");
            QTest::keyClicks(focused, QString::fromLatin1(c.typed));
            dialog->cnpField->setText(QString::fromLatin1(c.cnp));
            QTest::mouseClick(dialog->saveButton, Qt::LeftButton);
        });
        QTest::mouseClick(e.findChild<QPushButton*>("AddMember"), Qt::LeftButton);
        stored << e.memberDialog().name();
    }
    EXPECT_EQ(stored, QStringList({"POP ION", "POP ANA", "POP MIHAI"}));
    e.hide();
    e.finish();
}

// A member added to a new application shows whole in the list: its CNP,
// income and role columns are as wide as their content, as in modify mode.
TEST_F(EditorTest, MemberListColumnsFitTheirContentInAddMode)
{
    ApplicationEditor& e = NewApplication();
    e.show();
    QApplication::setActiveWindow(&e);
    QTimer::singleShot(0, [&e] {
        MemberDialog& d = e.memberDialog();
        d.nameField->setText("POPESCU IONELA MARIA");
        d.cnpField->setText("2800229123459");
        d.incomeField->setText("1234,56");
        QTest::mouseClick(d.saveButton, Qt::LeftButton);
    });
    QTest::mouseClick(e.findChild<QPushButton*>("AddMember"), Qt::LeftButton);
    ASSERT_EQ(e.memberCount(), 1);
    QApplication::processEvents();
    auto* grid = e.findChild<QTableView*>("MemberGrid");
    ASSERT_NE(grid, nullptr);
    const struct {
        int column;
        const char* text;
    } columns[] = {{1, "2800229123459"}, {2, "1234,56"}, {3, "beneficiar"}};
    for (const auto& c : columns) {
        EXPECT_EQ(grid->model()->index(0, c.column).data().toString(), c.text);
        EXPECT_GT(grid->columnWidth(c.column), grid->fontMetrics().horizontalAdvance(QString::fromLatin1(c.text)))
            << c.text << " is cut";
    }
    e.hide();
    e.finish();
}

// A new application opened after a refused one starts with the first
// status, not "RESPINS".
TEST_F(EditorTest, ANewApplicationKeepsNoStatusFromThePreviousOne)
{
    AddRow({1, "12.2024", "POP ION", "1800101123450", "RESPINS", 2, 400, 3});
    ApplicationEditor& e = ApplicationEditor::instance();
    ASSERT_TRUE(e.beginModify(1));
    EXPECT_EQ(e.status->currentText(), "RESPINS");
    e.finish();
    e.beginAdd();
    EXPECT_EQ(e.status->currentIndex(), 0);
    EXPECT_NE(e.status->currentText(), "RESPINS");
    e.finish();
}

TEST_F(EditorTest, SupplementButtonsSetTheAmountsOfTheirKind)
{
    const struct {
        const char* rule;
        char kind;
        bool onlySource;
        bool remove;
        Money expected;
    } cases[] = {
        {"electricity, only source", 'E', true, false, 70 * kMoneyUnit},
        {"electricity, not the only source", 'E', false, false, 30 * kMoneyUnit},
        {"gas", 'G', false, false, 10 * kMoneyUnit},
        {"thermal without a client code", 'T', false, false, 10 * kMoneyUnit},
        {"deleted gas contract", 'G', false, true, 0},
    };
    for (const auto& c : cases) {
        testmode::clear();
        ApplicationEditor& e = NewApplication();
        e.gas = {"POP ION", "", "E.ON", "G500", "", 10 * kMoneyUnit};
        QTimer::singleShot(0, [&] {
            SupplementDialog& d = e.supplementDialog();
            if (c.remove) {
                testmode::answerMessage(Answer::Yes);
                d.remove();
                return;
            }
            d.supplier->setEditText("FURNIZOR");
            d.clientCode->setText(c.kind == 'T' ? "" : "COD123");
            d.onlySourceBox->setChecked(c.onlySource);
            d.save();
        });
        e.editSupplement(c.kind);
        const SupplyContract& contract = c.kind == 'E' ? e.electricity : c.kind == 'G' ? e.gas : e.thermal;
        EXPECT_EQ(contract.amount, c.expected) << c.rule;
        EXPECT_EQ(contract.supplier, c.remove ? "" : "FURNIZOR") << c.rule;
        e.saveApplication();
        ASSERT_TRUE(e.isSaved()) << c.rule;
        const ApplicationRecord r = e.record();
        const SupplyContract& saved = c.kind == 'E' ? r.electricity : c.kind == 'G' ? r.gas : r.thermal;
        EXPECT_EQ(saved.amount, c.expected) << c.rule;
        if (c.remove) {
            EXPECT_EQ(saved, SupplyContract{}) << c.rule;
        }
        e.finish();
    }
}

// What is typed never exceeds what the column holds: TITULAR CHAR(32),
// TVENIT DECIMAL(10,2) (seven digits before the point). A longer name was cut
// by the table and an income too large lost the whole application.
TEST_F(EditorTest, FieldsTakeNoMoreThanTheirColumnsHold)
{
    ApplicationEditor& e = NewApplication();
    e.applicant->clear();
    e.applicant->setFocus();
    QTest::keyClicks(e.applicant, "POPESCU-IONESCU MARIA-MAGDALENA ALEXANDRA");
    EXPECT_EQ(e.applicant->text(), "POPESCU-IONESCU MARIA-MAGDALENA ");
    e.income->clear();
    QTest::keyClicks(e.income, "123456789");
    EXPECT_EQ(e.income->text(), "1234567");
    e.finish();
}

// An application stored without DATACERE shows an empty date, not the one
// left from the editor's previous use, and is not accepted until one is given.
TEST_F(EditorTest, AnUndatedApplicationAsksForItsDate)
{
    AddRow({1, "12.2024", "POP ION", "1800101123450", "APROBAT", 2, 400, 3});
    Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET DATACERE=NULL WHERE NRCRT=1");
    ApplicationEditor& e = NewApplication();   // leaves 02.12.2024 in the date field
    e.finish();
    testmode::clear();
    ASSERT_TRUE(e.beginModify(1));
    EXPECT_EQ(e.dateField->text().trimmed(), "");
    e.saveApplication();
    EXPECT_FALSE(e.isSaved());
    EXPECT_EQ(LastHint(), "Lipseste data cererii!");
    EXPECT_EQ(testmode::hints().last().control, "Date");
    e.dateField->setDate(QDate(2024, 12, 5));
    e.saveApplication();
    EXPECT_TRUE(e.isSaved());
    EXPECT_EQ(e.record().date, QDate(2024, 12, 5));
    e.finish();
    e.beginAdd();
    EXPECT_TRUE(e.dateField->date().isValid() && e.dateField->date().year() > 2000) << "a new application gets a date again";
    e.finish();
}

// Enter in any input of the editor and of its member and supplement dialogs
// moves to the next input: a check box, a button that is not the dialog's own
// or the member list given Enter saved the application with the members
// entered so far. Only "Memoreaza" itself saves on Enter.
TEST_F(EditorTest, EnterMovesOnFromEveryInputAndOnlyMemoreazaSaves)
{
    const struct {
        const char* input;
        bool saves;
    } cases[] = {
        {"MinimumIncome", false}, {"UpdateFromMembers", false}, {"SolidFuel", false}, {"AddMember", false},
        {"GasSupplement", false}, {"MemberGrid", false},        {"Applicant", false}, {"Save", true},
    };
    for (const auto& c : cases) {
        testmode::clear();
        ApplicationEditor& e = NewApplication();
        e.show();
        QApplication::setActiveWindow(&e);
        auto* input = e.findChild<QWidget*>(QString::fromLatin1(c.input));
        ASSERT_NE(input, nullptr) << c.input;
        input->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), input) << c.input;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(e.isSaved(), c.saves) << c.input;
        EXPECT_EQ(e.isVisible(), !c.saves) << c.input;
        if (!c.saves) {
            EXPECT_NE(QApplication::focusWidget(), input) << c.input << ": the focus moves on";
            EXPECT_TRUE(e.isAncestorOf(QApplication::focusWidget())) << c.input;
        }
        e.hide();
        e.finish();
    }
}

TEST_F(EditorTest, EnterInTheMemberAndSupplementDialogsMovesOn)
{
    ApplicationEditor& e = NewApplication();
    const struct {
        QDialog* dialog;
        const char* input;
    } cases[] = {
        {&e.memberDialog(), "ClearFields"},
        {&e.memberDialog(), "Income"},
        {&e.supplementDialog(), "OnlySource"},
        {&e.supplementDialog(), "ClientCode"},
    };
    for (const auto& c : cases) {
        testmode::clear();
        c.dialog->setResult(0);
        c.dialog->show();
        QApplication::setActiveWindow(c.dialog);
        auto* input = c.dialog->findChild<QWidget*>(QString::fromLatin1(c.input));
        ASSERT_NE(input, nullptr) << c.input;
        input->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(c.dialog->isVisible()) << c.input << ": nothing saved";
        EXPECT_TRUE(testmode::hints().isEmpty() && testmode::messages().isEmpty()) << c.input << ": no check ran";
        EXPECT_NE(QApplication::focusWidget(), input) << c.input;
        c.dialog->hide();
    }
    e.finish();
}

// Money fields take "," or "." as the decimal separator, refuse a second one
// and show the amount with the comma once it is checked.
TEST_F(EditorTest, MoneyFieldsTakeTheDecimalCommaOrPoint)
{
    const struct {
        const char* typed;
        const char* field;   // as the field holds it while typing
        const char* shown;   // after "Memoreaza"
        Money value;
    } cases[] = {
        {"1234,56", "1234,56", "1234,56", 12345600},
        {"1234.56", "1234.56", "1234,56", 12345600},
        {"12,5,3", "12,53", "12,53", 125300},
        {"12.5,3", "12.53", "12,53", 125300},
        {"7,129", "7,12", "7,12", 71200},
        {"300,50", "300,50", "300,5", 3005000},
    };
    for (const auto& c : cases) {
        ApplicationEditor& e = NewApplication();
        e.members->setText("9");
        e.show();
        QApplication::setActiveWindow(&e);
        e.income->clear();
        e.income->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), c.typed);
        EXPECT_EQ(e.income->text(), c.field) << "editor " << c.typed;
        QTest::mouseClick(e.saveButton, Qt::LeftButton);
        ASSERT_TRUE(e.isSaved()) << c.typed << " " << LastHint().toStdString();
        EXPECT_EQ(e.income->text(), c.shown) << "editor " << c.typed;
        EXPECT_EQ(e.record().totalIncome, c.value) << "editor " << c.typed;
        e.finish();

        MemberDialog& d = e.memberDialog();
        d.nameField->setText("POP ION");
        d.cnpField->setText("1800101123450");
        d.show();
        QApplication::setActiveWindow(&d);
        d.incomeField->clear();
        d.incomeField->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), c.typed);
        EXPECT_EQ(d.incomeField->text(), c.field) << "member " << c.typed;
        EXPECT_EQ(d.member().income, c.value) << "member " << c.typed;
        QTest::mouseClick(d.saveButton, Qt::LeftButton);
        EXPECT_FALSE(d.isVisible()) << "member " << c.typed;
        EXPECT_EQ(d.incomeField->text(), c.shown) << "member " << c.typed;
    }
}

// The questions whose "Da" lets a failed check pass open with "Nu" focused:
// Enter on the real dialog leaves the application unsaved, the editor open.
TEST_F(EditorTest, EnterOnAnOverrideQuestionAnswersNo)
{
    AddRow({1, "12.2024", "POP ION", "1800101123450", "APROBAT", 2, 400, 3});
    const struct {
        const char* rule;
        const char* cnp;
        const char* title;
    } cases[] = {
        {"invalid CNP", "1800101123451", "Verificare date"},
        {"applicant already in the month", "1800101123450", "CNP existent"},
    };
    for (const auto& c : cases) {
        ApplicationEditor& e = NewApplication();
        e.cnpField->setText(QString::fromLatin1(c.cnp));
        e.numberField->setText("7");
        e.show();
        QApplication::setActiveWindow(&e);
        testmode::disable();
        QString title, focused;
        PressOnNextDialog(Qt::Key_Return, &title, &focused);
        QTest::mouseClick(e.saveButton, Qt::LeftButton);
        testmode::enable();
        EXPECT_EQ(title, QString::fromLatin1(c.title)) << c.rule;
        EXPECT_EQ(focused, "Nu") << c.rule;
        EXPECT_FALSE(e.isSaved()) << c.rule;
        EXPECT_TRUE(e.isVisible()) << c.rule;
        e.hide();
        e.finish();
    }

    MemberDialog& d = NewApplication().memberDialog();
    d.nameField->setText("POP ANA");
    d.cnpField->setText("2800229123458");
    d.show();
    QApplication::setActiveWindow(&d);
    testmode::disable();
    QString title;
    PressOnNextDialog(Qt::Key_Return, &title);
    QTest::mouseClick(d.saveButton, Qt::LeftButton);
    testmode::enable();
    EXPECT_EQ(title, "Verificare date");
    EXPECT_TRUE(d.isVisible()) << "the member with an invalid CNP is not saved";
    d.hide();
    ApplicationEditor::instance().finish();
}

// Esc or the close box on an editor with changes asks before dropping them;
// "Nu" keeps the editor open with what was typed. Nothing changed: no question.
TEST_F(EditorTest, LeavingWithChangesAsksAndNuKeepsThem)
{
    const struct {
        const char* rule;
        bool change;
        bool closeBox;   // else Esc
        Answer answer;
        bool stays;
    } cases[] = {
        {"nothing changed, Esc", false, false, Answer::Cancel, false},
        {"typed, Esc, Nu", true, false, Answer::No, true},
        {"typed, close box, Nu", true, true, Answer::No, true},
        {"typed, Esc, Da", true, false, Answer::Yes, false},
    };
    for (const auto& c : cases) {
        testmode::clear();
        ApplicationEditor& e = ApplicationEditor::instance();
        e.beginAdd();
        e.show();
        QApplication::setActiveWindow(&e);
        e.applicant->setFocus();
        if (c.change)
            QTest::keyClicks(QApplication::focusWidget(), "POP ION");
        testmode::answerMessage(c.answer);
        if (c.closeBox)
            e.close();
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        ASSERT_EQ(testmode::messages().size(), c.change ? 1 : 0) << c.rule;
        if (c.change) {
            EXPECT_EQ(testmode::messages()[0].text, "\rRenuntati la modificari?") << c.rule;
            EXPECT_EQ(testmode::messages()[0].buttons, kButtonsYesNo | kDefaultNo) << c.rule;
        }
        EXPECT_EQ(e.isVisible(), c.stays) << c.rule;
        EXPECT_EQ(e.applicant->text(), c.change ? "POP ION" : "") << c.rule;
        e.hide();
        e.finish();
    }
}

// The real question: Enter answers "Nu" and the editor stays open.
TEST_F(EditorTest, EnterOnTheLeaveQuestionKeepsTheEditor)
{
    ApplicationEditor& e = ApplicationEditor::instance();
    e.beginAdd();
    e.show();
    QApplication::setActiveWindow(&e);
    e.minimumIncome->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    testmode::disable();
    QString title, focused;
    PressOnNextDialog(Qt::Key_Return, &title, &focused);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    testmode::enable();
    EXPECT_EQ(title, "Renuntare");
    EXPECT_EQ(focused, "Nu");
    EXPECT_TRUE(e.isVisible());
    EXPECT_TRUE(e.minimumIncome->isChecked());
    e.hide();
    e.finish();
}
