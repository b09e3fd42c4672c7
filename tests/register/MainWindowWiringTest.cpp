// The main window's "Perioada", "Cereri" and "Administrare" reach the
// working-month form and the administration window; the county chosen there
// shows or hides "Raport AJPIS - BACAU".
#include "Fixture.h"

#include "data/Db.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/common/MessageDialog.h"
#include "ui/main/MainWindow.h"
#include "ui/register/WorkingMonthWindow.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTest>
#include <QToolButton>

using namespace hestavo;

namespace {

// Runs `act` on the first modal window of type W once it is shown.
template <typename W>
void WhenShown(std::function<void(W&)> act, bool* seen)
{
    QTimer::singleShot(0, [act, seen] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<W*>(w); window && window->isVisible()) {
                *seen = true;
                act(*window);
                return;
            }
        WhenShown<W>(act, seen);
    });
}

class MainWindowWiring : public DataFolderTest {};

} // namespace

TEST_F(MainWindowWiring, AdministrationCountyControlsTheBacauItem)
{
    MainWindow main;
    main.Unlock();
    EXPECT_EQ(main.LunaLucru->text(), m_monthLabel->text()); // both empty
    bool seen = false;
    WhenShown<AdministrationWindow>(
        [](AdministrationWindow& form) {
            form.findChild<QLineEdit*>("PRIMARIA")->setText("Buhusi");
            form.findChild<QLineEdit*>("SIRUES")->setText("RO 14399840");
            form.findChild<QComboBox*>("JUDET")->setCurrentText("BACAU");
            form.findChild<QPushButton*>("Memoreaza")->click();
        },
        &seen);
    main.openAdministration();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(main.BacauItem->isVisible());
    EXPECT_EQ(ReadSetting("SETARI", "JUDET"), "BACAU");
    EXPECT_EQ(ReadSetting("SETARI", "CODJUD"), "04");

    seen = false;
    WhenShown<AdministrationWindow>(
        [](AdministrationWindow& form) {
            form.findChild<QComboBox*>("JUDET")->setCurrentText("IASI");
            form.findChild<QPushButton*>("Memoreaza")->click();
        },
        &seen);
    main.openAdministration();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(main.BacauItem->isVisible());
}

TEST_F(MainWindowWiring, CereriWithIncompleteSettingsOpensTheAdministration)
{
    MainWindow main;
    main.Unlock();
    bool seen = false;
    WhenShown<AdministrationWindow>([](AdministrationWindow& form) { form.reject(); }, &seen);
    main.MBut2->click();
    ASSERT_GE(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Raport AJPIS");
    EXPECT_EQ(testmode::messages()[0].text, "\rAlegeti mai intai luna de la butonul Perioada!");
    EXPECT_TRUE(seen);
}

TEST_F(MainWindowWiring, PerioadaSetsTheMainWindowsMonth)
{
    MainWindow main;
    main.Unlock();
    bool seen = false;
    WhenShown<WorkingMonthWindow>(
        [](WorkingMonthWindow& form) {
            form.AddMonth("11.2024");
            form.B_Memoreaza->click();
        },
        &seen);
    main.MBut1->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(main.LunaLucru->text(), "11.2024");
    EXPECT_EQ(ReadSetting("VARIABILE", "LUNA_LUCRU"), "11.2024");
    EXPECT_EQ(ReadMonthList(), QStringList({"11.2024"}));
}

TEST_F(MainWindowWiring, ReportItemsCheckTheSettingsFirst)
{
    // With no working month chosen every report item stops at the settings
    // check: one error message and no dialog, no folder chooser, no file.
    MainWindow main;
    main.Unlock();
    const QStringList items{"Raport AJPIS", "Raport AJPIS - BACAU", "Format AJPIS", "Format E-On Gaz Tg.Mures",
                            "Format CEZ - Supliment Electrica"};
    for (const QString& caption : items) {
        SCOPED_TRACE(caption.toStdString());
        QAction* item = nullptr;
        for (QAction* a : main.findChildren<QAction*>())
            if (a->text() == caption)
                item = a;
        ASSERT_NE(item, nullptr);
        testmode::clear();
        item->trigger();
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].title, "Raport AJPIS");
        EXPECT_NE(testmode::messages()[0].text, "Comanda nu este inca disponibila.");
        EXPECT_TRUE(testmode::choosers().empty());
    }
}

// A table that cannot be read ends each command of the main window in an
// error message, and the program goes on.
TEST_F(MainWindowWiring, ReadFailuresEndInAMessageNotTheProgram)
{
    WriteSetting("SETARI", "PRIMARIA", "Comuna Test");
    WriteSetting("SETARI", "JUDET", "ALBA");
    WriteSetting("SETARI", "SIRUES", "123");
    SetAdminValues(LoadAdminSettings());
    ASSERT_TRUE(QFile::remove(tableFile("Cereri.dbf")));
    resetDb();
    MainWindow main;
    main.Unlock();
    SetWorkingMonth("12.2024");   // through the main window's month label
    const auto item = [&](const QString& caption) {
        for (QAction* a : main.findChildren<QAction*>())
            if (a->text() == caption)
                return a;
        return static_cast<QAction*>(nullptr);
    };
    const struct {
        const char* what;
        std::function<void()> act;
    } commands[] = {
        {"Cereri", [&] { QTest::mouseClick(main.MBut2, Qt::LeftButton); }},
        {"Lista persoanelor si varsta", [&] { item("Lista persoanelor si varsta")->trigger(); }},
        {"Situatia membrilor", [&] { item("Situatia membrilor")->trigger(); }},
        {"Verificare inainte de raportare", [&] { item("Verificare inainte de raportare")->trigger(); }},
    };
    for (const auto& c : commands) {
        testmode::clear();
        c.act();
        const auto& shown = testmode::messages();
        ASSERT_FALSE(shown.isEmpty()) << c.what;
        EXPECT_EQ(shown.last().kind, kKindError) << c.what;
        EXPECT_TRUE(shown.last().text.contains("Cereri.dbf")) << c.what << ": " << shown.last().text.toStdString();
    }
}
