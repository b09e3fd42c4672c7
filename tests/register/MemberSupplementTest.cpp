// The member dialog's and the supplement dialog's checks.
#include "RegisterFixture.h"

#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/MemberDialog.h"
#include "ui/register/SupplementDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace hestavo;

namespace {

class DialogTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        SetWorkingMonth("12.2024");
        AddRow({1, "12.2024", "POP ION", "1800101123450", "APROBAT", 2, 400, 11});
        AddRow({2, "11.2024", "RUS ANA", "2800229123459", "APROBAT", 2, 400, 12});
        AddMember(1, 1, "POP ION", "1800101123450", "beneficiar");
        AddMember(2, 1, "POP MIHAI", "5000101400004");
        AddMember(3, 2, "RUS DAN", "5000229400000");
        Exec("UPDATE " + quotedTable("Cereri.dbf")
             + " SET FURNG=\"E.ON\", CODCLG=\"C100\", PODG=\"\", FURNE=\"ENEL\", CODCLE=\"E100\", PODE=\"RO1\" WHERE NRCRT=1");
    }
    static QString LastHint() { return testmode::hints().isEmpty() ? QString() : testmode::hints().last().text; }
};

} // namespace

TEST_F(DialogTest, MemberCnpIsCheckedAgainstTheMonth)
{
    const struct {
        const char* rule;
        const char* nrom;      // "" when adding
        const char* name;
        const char* cnp;
        const char* hint;      // "" = saved
    } cases[] = {
        {"member of another application of the month", "", "POP MIHAI", "5000101400004",
         "CNP existent la Membru, cererea nr.11/01.11.2024"},
        {"same member modified, its own row excluded", "2", "POP MIHAI", "5000101400004", ""},
        {"member of an application of another month", "", "RUS DAN", "5000229400000", ""},
        {"no name", "", " ", "5000229400000", "Lipseste numele omului!"},
    };
    for (const auto& c : cases) {
        testmode::clear();
        MemberDialog d;
        d.setWindowTitle(*c.nrom ? "Modificare membru" : "Adauga membru");
        // EditMember's preparation without showing the dialog.
        d.nameField->setText(QString::fromLatin1(c.name));
        d.cnpField->setText(QString::fromLatin1(c.cnp));
        d.incomeField->setText("12.5");
        if (*c.nrom) {
            // The key of the edited member is remembered by EditMember; run it modally and save at once.
            QMetaObject::invokeMethod(&d, &MemberDialog::save, Qt::QueuedConnection);
            d.EditMember("Modificare membru", QString::fromLatin1(c.nrom));
        } else {
            d.save();
        }
        EXPECT_EQ(LastHint(), QString::fromLatin1(c.hint)) << c.rule;
        EXPECT_EQ(d.result() == QDialog::Accepted, *c.hint == 0) << c.rule;
    }
}

TEST_F(DialogTest, SupplementChecks)
{
    const struct {
        const char* rule;
        char kind;
        const char* supplier;
        const char* code;
        const char* pod;
        const char* holderCnp;
        qint64 key;               // the editor's application key
        const char* hint;         // "" = no hint
        const char* question;     // "" = no question
        int result;
    } cases[] = {
        {"gas with a 2-character client code", 'G', "E.ON", "AB", "", "", -2, "Lipseste Codul de Client!", "", 0},
        {"thermal with the same code", 'T', "TERMO", "AB", "", "", -2, "", "", SupplementDialog::Saved},
        {"thermal with no client code", 'T', "TERMO", "", "", "", -2, "", "", SupplementDialog::Saved},
        {"no supplier", 'G', "", "C100", "", "", -2, "Lipseste Furnizorul!", "", 0},
        {"bad holder CNP", 'G', "E.ON", "C999", "", "1800101123451", -2, "CNP incorect!", "", 0},
        {"empty holder CNP accepted", 'G', "E.ON", "C999", "", "", -2, "", "", SupplementDialog::Saved},
        {"same supplier and code in the month", 'G', "E.ON", "C100", "", "", -2, "",
         "Mai exista acelasi Cod de client\rla Cererea 11/01.11.2024 - POP ION!\rContinuam asa?", 0},
        {"same code, other supplier", 'G', "ENGIE", "C100", "", "", -2, "", "", SupplementDialog::Saved},
        {"same code in its own application", 'G', "E.ON", "C100", "", "", 1, "", "", SupplementDialog::Saved},
        {"empty POD does not match blank PODs", 'G', "E.ON", "C200", "", "", -2, "", "", SupplementDialog::Saved},
        {"same POD, other code", 'E', "ENEL", "E900", "RO1", "", -2, "",
         "Mai exista acelasi POD\rla Cererea 11/01.11.2024 - POP ION!\rContinuam asa?", 0},
        {"same code and POD", 'E', "ENEL", "E100", "RO1", "", -2, "",
         "Mai exista acelasi Cod de client si acelasi POD\rla Cererea 11/01.11.2024 - POP ION!\rContinuam asa?", 0},
    };
    for (const auto& c : cases) {
        testmode::clear();
        SupplementDialog d;
        d.prepare(c.kind, SupplyContract{}, "POP ION", "1800101123450", false, c.key);
        d.setResult(0);
        d.supplier->setEditText(QString::fromLatin1(c.supplier));
        d.clientCode->setText(QString::fromLatin1(c.code));
        if (c.kind != 'T')
            d.pod->setText(QString::fromLatin1(c.pod));
        d.holderCnp->setText(QString::fromLatin1(c.holderCnp));
        testmode::answerMessage(Answer::No);
        d.save();
        EXPECT_EQ(LastHint(), QString::fromLatin1(c.hint)) << c.rule;
        const QString asked = testmode::messages().isEmpty() ? QString() : testmode::messages()[0].text;
        EXPECT_EQ(asked, QString::fromLatin1(c.question)) << c.rule;
        EXPECT_EQ(d.result(), c.result) << c.rule;
    }
}

TEST_F(DialogTest, SupplementDialogFillsFromTheApplicant)
{
    SupplementDialog d;
    d.prepare('T', SupplyContract{}, "POP ION", "1800101123450", false, -2);
    EXPECT_EQ(d.holderName->text(), "POP ION");
    EXPECT_EQ(d.holderCnp->text(), "1800101123450");
    EXPECT_FALSE(d.pod->isVisibleTo(&d));
    EXPECT_FALSE(d.onlySourceBox->isVisibleTo(&d));
    EXPECT_FALSE(d.deleteButton->isEnabled());
    EXPECT_EQ(d.title->text(), "Supliment Termica");
    d.prepare('E', SupplyContract{"RUS ANA", "", "ENEL", "E1", "RO1", 700000}, "POP ION", "1800101123450", true, -2);
    EXPECT_EQ(d.holderName->text(), "RUS ANA");
    EXPECT_TRUE(d.onlySourceBox->isChecked());
    EXPECT_TRUE(d.deleteButton->isEnabled());
    EXPECT_TRUE(d.supplier->findText("ENEL") >= 0) << "suppliers of every month are offered";
}
