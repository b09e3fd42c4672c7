// Administration window: loading, the save checks, the county rule, closing
// without saving, the prerequisite check and the password change.
#include "Fixture.h"

#include "backup/Passwords.h"
#include "register/AdminValues.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/SettingsCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <QPushButton>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include "ui/common/ProblemHint.h"
#include <QTest>

using namespace hestavo;

namespace {

class AdminWindow : public DataFolderTest {
protected:
    template <typename T>
    T* Field(AdministrationWindow& form, const char* name)
    {
        T* w = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* Edit(AdministrationWindow& form, const char* name) { return Field<QLineEdit>(form, name); }
    QComboBox* Combo(AdministrationWindow& form, const char* name) { return Field<QComboBox>(form, name); }
    void Click(AdministrationWindow& form, const char* name) { Field<QPushButton>(form, name)->click(); }

    // A complete, valid identification in the settings file.
    void WriteCompleteSettings()
    {
        WriteSetting("SETARI", "PRIMARIA", "Comuna Test");
        WriteSetting("SETARI", "JUDET", "cluj");
        WriteSetting("SETARI", "SIRUES", "RO 14399840");
    }
};

// Where the screenshots of these tests go (looked at by the developer).
QString ShotPath(const QString& name)
{
    const QString folder = QDir::tempPath() + "/hestavo-shots";
    QDir().mkpath(folder);
    return folder + "/" + name;
}

} // namespace

TEST_F(AdminWindow, EmptySettingsGiveDefaultsAndTheFirstRefusals)
{
    AdministrationWindow form;
    form.LoadSettings();
    EXPECT_EQ(form.windowTitle(), "Administrare program");
    EXPECT_EQ(Combo(form, "UAT")->currentText(), "U.A.T.");
    EXPECT_EQ(Edit(form, "PRIMARIA")->text(), "");
    EXPECT_EQ(Edit(form, "SIRUES")->text(), "");
    EXPECT_EQ(Edit(form, "CODJUD")->text(), "");
    EXPECT_EQ(Combo(form, "JUDET")->currentIndex(), -1);
    EXPECT_EQ(Combo(form, "TIPLOC")->currentText(), "COMUNA");
    EXPECT_FALSE(Field<QCheckBox>(form, "CuOLE")->isChecked());
    const char* limits[] = {"200", "320", "440", "560", "680", "920", "1040", "1160", "1280", "1386", "2053"};
    const char* aids[] = {"320", "288", "256", "224", "192", "160", "128", "96", "64", "32", "32"};
    for (int row = 1; row <= 11; ++row) {
        EXPECT_EQ(form.Lim(row)->text(), limits[row - 1]) << row;
        EXPECT_EQ(form.Cu(row)->text(), aids[row - 1]) << row;
        if (row > 1) {
            EXPECT_EQ(Field<QLabel>(form, QString("Peste%1").arg(row).toLatin1())->text(), limits[row - 2]) << row;
        }
    }
    for (auto [name, value] : {std::pair{"IndL", "20"}, {"IndG", "10"}, {"IndT", "10"}, {"IndE", "30"}, {"IndE2", "70"}})
        EXPECT_EQ(Edit(form, name)->text(), value) << name;
    EXPECT_EQ(form.FormValues().brackets, DefaultBracketTable());
    EXPECT_EQ(AdminValues(), AdminSettings{});

    SetWorkingMonth("11.2024");
    EXPECT_FALSE(SettingsComplete());
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Raport AJPIS");
    EXPECT_EQ(testmode::messages()[0].text, "\rCompletati la Administrare denumirea UAT!");
    EXPECT_EQ(testmode::messages()[0].kind, kKindError);
    EXPECT_EQ(testmode::messages()[0].buttons, kButtonOK);

    Click(form, "Memoreaza");
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Nu ati completat numele UAT!");
    EXPECT_EQ(testmode::hints()[0].control, "PRIMARIA");
    EXPECT_EQ(ReadSetting("SETARI", "PRIMARIA"), "");
    EXPECT_EQ(ReadSetting("SETARI", "Lim1"), ""); // nothing written
}

TEST_F(AdminWindow, SaveChecksInOrder)
{
    struct Case {
        const char* rule;
        const char* name;
        int county;
        const char* fiscal;
        const char* hint;     // nullptr: saved
        const char* control;
    };
    const Case cases[] = {
        {"name only quotes and spaces", " \"  \" ", 0, "RO 14399840", "Nu ati completat numele UAT!", "PRIMARIA"},
        {"no county", "Test", -1, "", "Nu ati ales Judetul!", "JUDET"},
        {"empty fiscal code", "Test", 3, "  ", "Nu ati scris Codul Fiscal!", "SIRUES"},
        {"one changed digit", "Test", 3, "RO 14399841", "Cod Fiscal incorect!", "SIRUES"},
        {"prefix and spaces accepted", "Test", 3, "RO 143 998 40", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        testmode::clear();
        AdministrationWindow form;
        form.LoadSettings();
        Edit(form, "PRIMARIA")->setText(c.name);
        Combo(form, "JUDET")->setCurrentIndex(c.county);
        Edit(form, "SIRUES")->setText(c.fiscal);
        Click(form, "Memoreaza");
        if (c.hint) {
            ASSERT_EQ(testmode::hints().size(), 1);
            EXPECT_EQ(testmode::hints()[0].text, c.hint);
            EXPECT_EQ(testmode::hints()[0].control, c.control);
            EXPECT_NE(form.result(), QDialog::Accepted);
            EXPECT_EQ(ReadSetting("SETARI", "PRIMARIA"), "");
        } else {
            EXPECT_TRUE(testmode::hints().isEmpty());
            EXPECT_EQ(form.result(), QDialog::Accepted);
            EXPECT_EQ(ReadSetting("SETARI", "PRIMARIA"), "Test");
            EXPECT_EQ(ReadSetting("SETARI", "SIRUES"), "RO 143 998 40");
            EXPECT_EQ(ReadSetting("SETARI", "JUDET"), "BACAU");
            EXPECT_EQ(ReadSetting("SETARI", "CODJUD"), "04");
        }
    }
}

TEST_F(AdminWindow, ClujWithEmptyCountyCodeSaves13AndEveryKey)
{
    AdministrationWindow form;
    form.LoadSettings();
    Edit(form, "PRIMARIA")->setText("  Floresti   Nord ");
    Edit(form, "SIRUES")->setText("4221306");
    Combo(form, "JUDET")->setCurrentText("CLUJ");
    Edit(form, "CODJUD")->clear();
    Combo(form, "UAT")->setCurrentText("Comuna");
    Combo(form, "TIPLOC")->setCurrentIndex(2);
    Edit(form, "VICEPRIMAR")->setText("Secretarul");
    Field<QCheckBox>(form, "CuOLE")->setChecked(true);
    form.Cu(1)->setText("350");
    Edit(form, "IndE2")->setText("75");
    Click(form, "Memoreaza");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ReadSetting("SETARI", "CODJUD"), "13");
    EXPECT_EQ(ReadSetting("SETARI", "PRIMARIA"), "Floresti Nord");
    EXPECT_EQ(ReadSetting("SETARI", "JUDET"), "CLUJ");
    EXPECT_EQ(ReadSetting("SETARI", "UAT"), "Comuna");
    EXPECT_EQ(ReadSetting("SETARI", "TIPLOC"), "2");
    EXPECT_EQ(ReadSetting("SETARI", "VICEPRIMAR"), "Secretarul");
    EXPECT_EQ(ReadSetting("SETARI", "CuOLE"), "DA");
    EXPECT_EQ(ReadSetting("SETARI", "Cu1"), "350");
    EXPECT_EQ(ReadSetting("SETARI", "Lim11"), "2053");
    EXPECT_EQ(ReadSetting("SETARI", "IndE2"), "75");
    EXPECT_EQ(ReadSetting("SETARI", "IndL"), "20");
    // Closing reloads: the values loaded for everyone are the stored ones.
    EXPECT_EQ(AdminValues().codjud, "13");
    EXPECT_EQ(AdminValues().brackets.aids[0], 350 * kMoneyUnit);
    EXPECT_EQ(LocalityGenitive(AdminValues().tiploc), "municipiului ");
    EXPECT_EQ(CountyAbbreviation(AdminValues()), "CJ");
}

// The county code follows the county while it is empty or still the previous
// county's own code; a code typed by hand stays.
TEST_F(AdminWindow, ChoosingACountyReplacesOnlyAnEmptyOrOwnCodeAndTellsAboutBacau)
{
    AdministrationWindow form;
    form.LoadSettings();
    QList<bool> shown;
    QObject::connect(&form, &AdministrationWindow::bacauReportVisible, [&](bool v) { shown << v; });
    struct Step {
        const char* typedCode;   // nullptr: leave the field as it is
        const char* county;
        const char* code;
        bool bacau;
    } steps[] = {
        {nullptr, "BACAU", "04", true},     // empty code: BACAU's own
        {nullptr, "CLUJ", "13", false},     // BACAU's own code: replaced by CLUJ's
        {"77", "ALBA", "77", false},        // typed by hand: stays
        {"", "SECTOR 6", "48", false},      // emptied: filled again
        {"13", "BACAU", "13", true},        // typed, not SECTOR 6's own: stays
    };
    for (const Step& st : steps) {
        if (st.typedCode)
            Edit(form, "CODJUD")->setText(st.typedCode);
        Combo(form, "JUDET")->setCurrentText(st.county);
        SCOPED_TRACE(st.county);
        EXPECT_EQ(Edit(form, "CODJUD")->text(), st.code);
        ASSERT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.last(), st.bacau);
    }
}

TEST_F(AdminWindow, CountyRuleOnTheSettingsAlone)
{
    struct Case {
        const char* previous;
        const char* county;
        const char* codeBefore;
        const char* codeAfter;
    } cases[] = {
        {"", "CLUJ", "", "13"},          {"CLUJ", "BACAU", "13", "04"}, {"CLUJ", "BACAU", "12", "12"},
        {"", "BACAU", "13", "13"},       {"CLUJ", "", "13", "13"},      {"CLUJ", "BACAU", "", "04"},
    };
    for (const Case& c : cases) {
        AdminSettings s;
        s.judet = c.county;
        s.codjud = c.codeBefore;
        ApplyCountyRule(s, c.previous);
        EXPECT_EQ(s.codjud, QString(c.codeAfter)) << c.previous << " -> " << c.county << " with " << c.codeBefore;
    }
}

TEST_F(AdminWindow, ClosingWithoutSavingRestoresTheStoredValues)
{
    WriteCompleteSettings();
    WriteSetting("SETARI", "Cu1", "300");
    WriteSetting("SETARI", "CODJUD", "12");
    AdministrationWindow form;
    form.LoadSettings();
    EXPECT_EQ(Combo(form, "JUDET")->currentText(), "CLUJ"); // read back upper-cased
    EXPECT_EQ(Edit(form, "CODJUD")->text(), "12");
    EXPECT_EQ(form.Cu(1)->text(), "300");
    form.Cu(1)->setText("999");
    form.Lim(3)->setText("450");
    EXPECT_EQ(Field<QLabel>(form, "Peste4")->text(), "450");
    Edit(form, "PRIMARIA")->setText("Alt nume");
    form.reject();
    EXPECT_EQ(form.Cu(1)->text(), "300");
    EXPECT_EQ(form.Lim(3)->text(), "440");
    EXPECT_EQ(Field<QLabel>(form, "Peste4")->text(), "440");
    EXPECT_EQ(Edit(form, "PRIMARIA")->text(), "Comuna Test");
    EXPECT_EQ(ReadSetting("SETARI", "Cu1"), "300");
}

TEST_F(AdminWindow, UnreadableNumbersCountAsZeroAndDecimalsSurvive)
{
    WriteSetting("SETARI", "Lim2", "abc");
    WriteSetting("SETARI", "Cu3", "256.5");
    WriteSetting("SETARI", "IndG", "12.75"); // supplements are whole lei
    AdministrationWindow form;
    form.LoadSettings();
    EXPECT_EQ(form.Lim(2)->text(), "0");
    EXPECT_EQ(form.FormValues().brackets.aids[2], 2565000);
    EXPECT_EQ(form.FormValues().supplements.gas, 12 * kMoneyUnit);
}

TEST_F(AdminWindow, AidUsesTheTableLoadedFromTheSettings)
{
    WriteSetting("SETARI", "Cu1", "350");
    WriteSetting("SETARI", "Cu2", "300");
    AdministrationWindow form;
    form.LoadSettings();
    EXPECT_EQ(AidForIncome(2, true, 400.00), 350);
    EXPECT_EQ(AidForIncome(2, true, 400.02), 300);
    EXPECT_EQ(BracketLetter(300), 'b');
    EXPECT_EQ(BracketLetter(288), 'j');
    SetAdminValues(AdminSettings{});
}

TEST_F(AdminWindow, SettingsCompleteChecksInOrder)
{
    struct Case {
        const char* month;
        const char* name;
        const char* county;
        const char* fiscal;
        const char* message; // nullptr: passes
    };
    const Case cases[] = {
        {"", "", "", "", "\rAlegeti mai intai luna de la butonul Perioada!"},
        {"11.2024", "", "CLUJ", "1", "\rCompletati la Administrare denumirea UAT!"},
        {"11.2024", "X", "", "1", "\rAlegeti la Administrare Judetul!"},
        {"11.2024", "X", "CLUJ", "", "\rCompletati la Administrare Codul Fiscal"},
        {"11.2024", "X", "CLUJ", "123", nullptr}, // only emptiness is checked here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message ? c.message : "passes");
        testmode::clear();
        SetWorkingMonth(c.month);
        AdminSettings s;
        s.primaria = c.name;
        s.judet = c.county;
        s.sirues = c.fiscal;
        SetAdminValues(s);
        EXPECT_EQ(SettingsComplete(), c.message == nullptr);
        if (c.message) {
            ASSERT_EQ(testmode::messages().size(), 1);
            EXPECT_EQ(testmode::messages()[0].text, c.message);
            EXPECT_EQ(testmode::messages()[0].title, "Raport AJPIS");
        } else {
            EXPECT_TRUE(testmode::messages().isEmpty());
        }
    }
    SetAdminValues(AdminSettings{});
}

TEST_F(AdminWindow, PasswordChange)
{
    AdministrationWindow form;
    form.LoadSettings();
    QLineEdit* first = Edit(form, "Parola1");
    QLineEdit* second = Edit(form, "Parola2");

    first->setText("SECRET");
    second->setText("SECRE");
    Click(form, "SchimbaParola");
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, "Eroare la completare");
    EXPECT_EQ(testmode::messages()[0].text, "Nu ati scris parola noua la fel in cele doua casute !");
    EXPECT_EQ(testmode::messages()[0].kind, kKindError);
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), QByteArray());
    EXPECT_EQ(first->text(), "SECRET");

    second->setText("SECRET");
    Click(form, "SchimbaParola");
    ASSERT_EQ(testmode::messages().size(), 2);
    EXPECT_EQ(testmode::messages()[1].title, "Confirmare");
    EXPECT_EQ(testmode::messages()[1].text, "\rParola a fost schimbata cu succes!");
    EXPECT_EQ(testmode::messages()[1].kind, kKindInformation);
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), PasswordDigest(QString("SECRET")));
    EXPECT_NE(ReadSettingBytes("INIT", "WIN"), PasswordDigest(QString("secret")));
    EXPECT_EQ(first->text(), "");
    EXPECT_EQ(second->text(), "");

    // Both empty: asks; "Nu" keeps the password, "Da" removes it.
    testmode::answerMessage(Answer::No);
    Click(form, "SchimbaParola");
    EXPECT_EQ(testmode::messages()[2].text, "ATENTIE !\rDoriti sa dezactivati parola de administrator?");
    EXPECT_EQ(testmode::messages()[2].kind, kKindWarning);
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), PasswordDigest(QString("SECRET")));
    testmode::answerMessage(Answer::Yes);
    Click(form, "SchimbaParola");
    EXPECT_EQ(ReadSettingBytes("INIT", "WIN"), QByteArray());
}

TEST_F(AdminWindow, EnterInThePasswordEditsMovesOnToSave)
{
    WriteCompleteSettings();
    AdministrationWindow form;
    form.LoadSettings();
    form.show();
    QApplication::setActiveWindow(&form);
    auto enter = [](QWidget* w) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    };
    Edit(form, "Parola1")->setFocus();
    enter(Edit(form, "Parola1"));
    EXPECT_TRUE(Edit(form, "Parola2")->hasFocus());
    enter(Edit(form, "Parola2"));
    auto* save = Field<QPushButton>(form, "Memoreaza");
    EXPECT_TRUE(save->hasFocus());
    enter(save);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(ReadSetting("SETARI", "CODJUD"), "13");
}

// Enter in a text field moves to the next field and leaves the window open;
// nothing is stored until "Memoreaza si inchide".
TEST_F(AdminWindow, EnterInATextFieldMovesOnAndKeepsTheWindowOpen)
{
    WriteCompleteSettings();
    AdministrationWindow form;
    form.LoadSettings();
    form.show();
    QApplication::setActiveWindow(&form);
    Edit(form, "PRIMAR")->setText("Ion Pop");
    for (const char* name : {"PRIMARIA", "SIRUES", "CODJUD", "PRIMAR", "Lim3", "IndE2"}) {
        QLineEdit* field = Edit(form, name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible()) << name;
        EXPECT_FALSE(field->hasFocus()) << name << ": the focus stays";
    }
    // A list, and a button other than "Memoreaza si inchide".
    Combo(form, "JUDET")->setFocus();
    QTest::keyClick(Combo(form, "JUDET"), Qt::Key_Enter);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(Combo(form, "JUDET")->hasFocus());
    Field<QPushButton>(form, "SchimbaParola")->setFocus();
    testmode::clear();
    QTest::keyClick(Field<QPushButton>(form, "SchimbaParola"), Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(testmode::messages().size(), 1) << "the focused button answers Enter";
    EXPECT_EQ(ReadSetting("SETARI", "PRIMAR"), "") << "nothing saved by Enter";
    Edit(form, "PRIMAR")->setFocus();
    QTest::keyClick(Edit(form, "PRIMAR"), Qt::Key_Return);
    ASSERT_TRUE(form.grab().save(ShotPath("found-admin-after-enter.png")));
    EXPECT_TRUE(form.isVisible());
}

// A refused save points at its field with a balloon beside it, not over it.
TEST_F(AdminWindow, RefusalBalloonSitsBesideItsField)
{
    AdministrationWindow form;
    form.LoadSettings();
    form.move(0, 0);
    form.show();
    Click(form, "Memoreaza");
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].control, "PRIMARIA");
    QWidget* balloon = currentProblemHint();
    ASSERT_NE(balloon, nullptr);
    QLineEdit* field = Edit(form, "PRIMARIA");
    const QRect fieldRect(field->mapToGlobal(QPoint(0, 0)), field->size());
    EXPECT_FALSE(balloon->geometry().intersects(fieldRect));
    EXPECT_TRUE(form.screen()->availableGeometry().contains(balloon->geometry()));
    EXPECT_TRUE(form.isVisible());

    // The window with the balloon drawn where it stands on the screen.
    const QRect both = form.frameGeometry().united(balloon->geometry());
    QPixmap shot(both.size());
    shot.fill(Qt::darkGray);
    QPainter painter(&shot);
    painter.drawPixmap(form.mapToGlobal(QPoint(0, 0)) - both.topLeft(), form.grab());
    painter.drawPixmap(balloon->pos() - both.topLeft(), balloon->grab());
    painter.end();
    EXPECT_TRUE(shot.save(ShotPath("found-balloon-beside-field.png")));
}

// Long paths are shortened in the middle, shown whole as tooltips, and the
// window still fits a 1366x768 screen.
TEST_F(AdminWindow, LongPathsAreElidedAndTheWindowFitsTheScreen)
{
    const QString longPath = "/srv/" + QString("Primaria_Comunei_Floresti/").repeated(6) + "Salvari_Date";
    ASSERT_GE(longPath.size(), 170);
    WriteMachineSetting("SERVER", longPath);
    paths().autoSaveFolder = longPath + "/automat";
    AdministrationWindow form;
    form.LoadSettings();
    form.show();
    form.adjustSize();
    EXPECT_LE(form.width(), 1366);
    EXPECT_LE(form.height(), 768 - 40 - 30);
    for (const char* name : {"ServerPath", "SavePath"}) {
        auto* label = Field<QLabel>(form, name);
        EXPECT_TRUE(label->toolTip().startsWith(longPath)) << name;
        EXPECT_TRUE(label->text().contains(QChar(0x2026))) << name << ": " << label->text().toStdString();
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
    }
    EXPECT_TRUE(form.grab().save(ShotPath("found-admin-long-paths.png")));
    paths().autoSaveFolder.clear();
}

TEST_F(AdminWindow, TabFollowsTheColumnsTopToBottomAndTheFormFitsALaptopScreen)
{
    AdministrationWindow form;
    const QStringList expected{"UAT",      "PRIMARIA", "TIPLOC",   "SIRUES",        "JUDET",    "CODJUD",
                               "PRIMAR",   "VICEPRIMAR", "CONTABIL", "DIRECTOR",    "INTOCMIT", "CuOLE",
                               "Parola1",  "Parola2",  "SchimbaParola", "Modificare cale server.",
                               "Stergere cale server. Lucru local.", "Modificare cale salvari automate.",
                               "Stergere cale salvari automate.", "Lim1", "Cu1", "Lim2"};
    QStringList order;
    QWidget* w = Field<QComboBox>(form, "UAT");
    for (int guard = 0; order.size() < expected.size() && guard < 500; ++guard, w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (!w->objectName().isEmpty())
            order << w->objectName();
        else if (!w->toolTip().isEmpty())
            order << w->toolTip();
    }
    EXPECT_EQ(order.join(" | ").toStdString(), expected.join(" | ").toStdString());

    // A 1366x768 screen less a taskbar and the window's title bar.
    EXPECT_LE(form.sizeHint().height(), 768 - 40 - 30);
}

// The limits, aids and supplement amounts are typed with the decimal comma
// or point; a second separator is refused; the supplements stay whole lei.
TEST_F(AdminWindow, AmountsTakeTheDecimalCommaOrPoint)
{
    AdministrationWindow form;
    form.LoadSettings();
    form.show();
    QApplication::setActiveWindow(&form);
    const struct {
        const char* field;
        const char* typed;
        const char* text;
    } cases[] = {{"Lim1", "615,5", "615,5"}, {"Cu1", "12.5,3", "12.53"}, {"IndG", "12,7,5", "12,75"}};
    for (const auto& c : cases) {
        QLineEdit* field = Edit(form, c.field);
        field->clear();
        field->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), c.typed);
        EXPECT_EQ(field->text(), c.text) << c.field;
    }
    const AdminSettings s = form.FormValues();
    EXPECT_EQ(s.brackets.limits[0], 6155000);
    EXPECT_EQ(s.brackets.aids[0], 125300);
    EXPECT_EQ(s.supplements.gas, 12 * kMoneyUnit);
}
