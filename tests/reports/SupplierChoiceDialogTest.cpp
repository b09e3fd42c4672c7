// The choice dialogs of the E-ON and CEZ reports, offscreen: what they offer,
// the refusals of "&Am ales" (the dialog stays open), the codes written back
// and proposed again, Enter moving on. Screenshots of both variants go to
// <temp>/hestavo-shots.
#include "SupplierFixture.h"

#include "data/TestMode.h"
#include "reports/SupplierReports.h"
#include "ui/common/ProblemHint.h"
#include "ui/reports/SupplierChoiceDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QKeyEvent>

class SupplierChoiceDialogTest : public SupplierTest {
protected:
    void SetUp() override
    {
        SupplierTest::SetUp();
        testmode::enable();
    }
    void TearDown() override
    {
        testmode::disable();
        SupplierTest::TearDown();
    }
    static QStringList Items(const QComboBox* list)
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        return items;
    }
    static QString LastHint() { return testmode::hints().isEmpty() ? QString() : testmode::hints().last().text + " @" + testmode::hints().last().control; }
    // Key presses as the keyboard sends them.
    static void Press(QWidget* w, int key, const QString& text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
    }
    static void Type(QWidget* w, const QString& text)
    {
        for (QChar c : text)
            Press(w, c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_A + (c.toUpper().unicode() - 'A'), QString(c));
    }
    static void Shot(QWidget& w, const QString& name)
    {
        const QString shots = QDir::tempPath() + "/hestavo-shots";
        QDir().mkpath(shots);
        w.show();
        QApplication::processEvents();
        EXPECT_TRUE(w.grab().save(shots + "/" + name));
    }
};

TEST_F(SupplierChoiceDialogTest, EonRefusesUntilSupplierAndEveryPostalCodeAreGiven)
{
    WriteSetting("CODURIP", "SARD", "");
    SupplierChoiceDialog dialog(SupplierChoiceDialog::Variant::Eon, "03.2024");
    dialog.load();
    EXPECT_EQ(dialog.windowTitle(), "Raport E-ON Gaz Targu Mures");
    // Gas and electricity names of approved applications with an aid, each once;
    // nothing chosen at first.
    EXPECT_EQ(Items(dialog.FurnE), QStringList({"..", "E.ON GAZ", "ENEL/SUD D'EST", "ENEL_SUD D_EST"}));
    EXPECT_EQ(dialog.FurnE->currentIndex(), -1);
    ASSERT_EQ(dialog.Grid->rowCount(), 2);
    EXPECT_EQ(dialog.Grid->horizontalHeaderItem(0)->text(), "Localitatea");
    EXPECT_EQ(dialog.Grid->horizontalHeaderItem(1)->text(), "Cod postal");
    EXPECT_EQ(dialog.Grid->item(0, 0)->text(), "IGHIU");
    EXPECT_EQ(dialog.Grid->item(0, 1)->text(), "517360");
    EXPECT_FALSE(dialog.Grid->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(dialog.Grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    Shot(dialog, "supplier-choice-eon.png");

    dialog.ChooseButton->click();
    EXPECT_EQ(LastHint(), "Nu ati ales nimic! @FurnE");
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.FurnE->setCurrentIndex(dialog.FurnE->findText("E.ON GAZ"));
    dialog.ChooseButton->click();
    EXPECT_EQ(LastHint(), "Nu ati scris Codul postal! @Grid");
    EXPECT_EQ(dialog.Grid->currentRow(), 1);
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // A code typed in the grid and not yet committed counts.
    dialog.Grid->setCurrentCell(1, 1);
    dialog.Grid->editItem(dialog.Grid->item(1, 1));
    auto* editor = qobject_cast<QLineEdit*>(dialog.Grid->indexWidget(dialog.Grid->currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText(" 517999 ");
    dialog.ChooseButton->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.supplier(), "E.ON GAZ");
    EXPECT_EQ(ReadSetting("CODURIP", "SARD"), "517999");

    // A later month with the same locality proposes the code entered once.
    AddApplication(20, "04.2024", {{"TITULAR", "\"NOU\""}, {"LOCALIT", "\"SARD\""}});
    SupplierChoiceDialog later(SupplierChoiceDialog::Variant::Eon, "04.2024");
    later.load();
    ASSERT_EQ(later.Grid->rowCount(), 1);
    EXPECT_EQ(later.Grid->item(0, 1)->text(), "517999");
}

TEST_F(SupplierChoiceDialogTest, CezRefusesShortSirutaAndStoresAnAcceptedOne)
{
    WriteSetting("CONST", "SIRUTA", "0");
    SupplierChoiceDialog dialog(SupplierChoiceDialog::Variant::Cez, "01.2024");
    dialog.load();
    EXPECT_EQ(dialog.windowTitle(), "Raport CEZ - Suplimente Electrica");
    EXPECT_EQ(Items(dialog.FurnE), QStringList({"CEZ VANZARE"}));
    EXPECT_EQ(dialog.FurnE->currentIndex(), 0);
    EXPECT_EQ(dialog.Siruta->text(), "0");
    Shot(dialog, "supplier-choice-cez.png");

    const struct {
        const char* typed;
        const char* field;   // what the field keeps
        const char* hint;    // "" when accepted
    } cases[] = {{"0", "0", "Nu ati scris SIRUTA!"},
                 {"123", "123", "Nu ati scris SIRUTA!"},
                 {"20a2b97", "20297", ""},
                 {"1234567890123", "123456789012", ""}};
    for (const auto& c : cases) {
        testmode::clear();
        dialog.setResult(0);
        dialog.Siruta->clear();
        Type(dialog.Siruta, c.typed);
        EXPECT_EQ(dialog.Siruta->text(), QString(c.field)) << c.typed;
        dialog.ChooseButton->click();
        if (*c.hint) {
            EXPECT_EQ(LastHint(), QString(c.hint) + " @Siruta") << c.typed;
            EXPECT_NE(dialog.result(), QDialog::Accepted) << c.typed;
            EXPECT_EQ(ReadSetting("CONST", "SIRUTA"), "0") << c.typed;
        } else {
            EXPECT_EQ(LastHint(), "") << c.typed;
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed;
            EXPECT_EQ(ReadSetting("CONST", "SIRUTA"), QString(c.field)) << c.typed;
        }
    }

    // A month without CEZ rows offers nothing and refuses.
    SupplierChoiceDialog empty(SupplierChoiceDialog::Variant::Cez, "05.2024");
    empty.load();
    EXPECT_EQ(empty.FurnE->count(), 0);
    empty.ChooseButton->click();
    EXPECT_EQ(LastHint(), "Nu ati ales denumirea CEZ-ului! @FurnE");
    EXPECT_NE(empty.result(), QDialog::Accepted);
}

TEST_F(SupplierChoiceDialogTest, EnterMovesToTheNextControlAndEscapeCancels)
{
    SupplierChoiceDialog dialog(SupplierChoiceDialog::Variant::Cez, "01.2024");
    dialog.load();
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.FurnE->setFocus();
    QApplication::processEvents();
    Press(dialog.FurnE, Qt::Key_Return);
    EXPECT_TRUE(dialog.Siruta->hasFocus());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    Press(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SupplierChoiceDialogTest, LocalityThatCannotBeASettingsKeyLeavesTheSettingsIntact)
{
    AddApplication(30, "06.2024",
                   {{"TITULAR", "\"NOU ION\""}, {"LOCALIT", "\"[SAT] NOU\""}, {"FURNE", "\"E.ON GAZ\""}, {"SUMAE", "10"}});
    AddApplication(31, "06.2024", {{"TITULAR", "\"VECHI ION\""}, {"LOCALIT", "\"IGHIU\""}});
    SupplierChoiceDialog dialog(SupplierChoiceDialog::Variant::Eon, "06.2024");
    dialog.load();
    ASSERT_EQ(dialog.Grid->rowCount(), 2);
    EXPECT_EQ(dialog.Grid->item(1, 0)->text(), "[SAT] NOU");
    EXPECT_EQ(dialog.Grid->item(1, 1)->text(), "");
    dialog.Grid->item(1, 1)->setText("517000");
    dialog.FurnE->setCurrentIndex(dialog.FurnE->findText("E.ON GAZ"));
    dialog.ChooseButton->click();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);

    // The settings file keeps its sections: no line begins with the locality.
    QFile settings(m_dir.path() + "/Data/Hestavo.set");
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_FALSE(settings.readAll().contains("\n[SAT] NOU"));
    EXPECT_EQ(ReadSetting("SETARI", "JUDET"), "BACAU");
    EXPECT_EQ(ReadSetting("CODURIP", "IGHIU"), "517360");

    // The report uses the code typed in the dialog.
    hestavo::WriteEonReport("06.2024", dialog.supplier(), dialog.postalCodes(), OutFolder());
    EXPECT_EQ(Cells(OutFolder()).value("Suplimente_Electrica.xlsx!O2"), "517000");
}
