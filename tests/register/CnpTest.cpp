// The CNP rules on a table of codes, and the CNP control's key handling.
#include "Fixture.h"
#include "register/Cnp.h"
#include "ui/register/CnpEdit.h"

#include <QKeyEvent>

using hestavo::Cnp;

namespace {

struct CnpCase {
    const char* rule;
    const char* code;
    bool valid;
    QDate birth;
    const char* sex;
};

const CnpCase kCases[] = {
    {"valid man, 1900s", "1800101123450", true, QDate(1980, 1, 1), "masculin"},
    {"valid woman born 29 February of a leap year", "2800229123459", true, QDate(1980, 2, 29), "feminin"},
    {"first digit 5 is the 2000s", "5000101400004", true, QDate(2000, 1, 1), "masculin"},
    {"first digit 6 is the 2000s", "6000229400002", true, QDate(2000, 2, 29), "feminin"},
    {"first digit 7 is the 1900s", "7800315123455", true, QDate(1980, 3, 15), "masculin"},
    {"first digit 8", "8600523071230", true, QDate(1960, 5, 23), "feminin"},
    {"first digit 9", "9991231123456", true, QDate(1999, 12, 31), "masculin"},
    {"remainder 10 needs control digit 1", "1850612000041", true, QDate(1985, 6, 12), "masculin"},
    {"remainder 10 with control digit 0", "1850612000040", false, QDate(1985, 6, 12), "masculin"},
    {"wrong control digit", "1800101123451", false, QDate(1980, 1, 1), "masculin"},
    {"31 February with a fitting control digit", "1800231123450", false, QDate(1900, 1, 1), "masculin"},
    {"29 February of a common year", "1900229123453", false, QDate(1900, 1, 1), "masculin"},
    {"day 00", "1800100123458", false, QDate(1900, 1, 1), "masculin"},
    {"first digit 3 with a fitting control digit", "3800101123454", false, QDate(1980, 1, 1), "feminin"},
    {"first digit 4 with a fitting control digit", "4800101123456", false, QDate(1980, 1, 1), "feminin"},
    {"first digit 0", "0800101123450", false, QDate(1980, 1, 1), "feminin"},
    {"a letter inside", "18001011234A0", false, QDate(1980, 1, 1), "masculin"},
    {"non-digit in the date part", "180A101123450", false, Cnp::zeroDate(), "masculin"},
    {"12 digits", "180010112345", false, QDate(1980, 1, 1), "masculin"},
    {"14 digits", "18001011234500", false, QDate(1980, 1, 1), "masculin"},
    {"six characters give the zero date", "180101", false, Cnp::zeroDate(), "masculin"},
    {"empty text", "", false, Cnp::zeroDate(), "masculin"},
};

} // namespace

TEST(CnpRules, TableOfCodes)
{
    for (const CnpCase& c : kCases) {
        const QString code = QString::fromLatin1(c.code);
        EXPECT_EQ(Cnp::isValid(code), c.valid) << c.rule;
        EXPECT_EQ(Cnp::birthDate(code), c.birth) << c.rule;
        EXPECT_EQ(Cnp::sex(code), QString::fromLatin1(c.sex)) << c.rule;
    }
}

TEST(CnpRules, EmptyCodeFollowsAcceptEmpty)
{
    EXPECT_FALSE(Cnp::isValid(QString(), false));
    EXPECT_TRUE(Cnp::isValid(QString(), true));
    EXPECT_FALSE(Cnp::isValid(QStringLiteral("1"), true));
}

namespace {

struct KeyCase {
    const char* rule;
    const char* before;
    int caret;
    int selectFrom;   // -1: no selection
    int selectLength;
    int key;
    const char* typed;
    const char* after;
    int caretAfter;
};

const KeyCase kKeys[] = {
    {"digit inserted at the caret", "1234", 2, -1, 0, Qt::Key_9, "9", "12934", 3},
    {"digit replaces a lone 0", "0", 1, -1, 0, Qt::Key_5, "5", "5", 1},
    {"14th digit ignored", "1800101123450", 13, -1, 0, Qt::Key_1, "1", "1800101123450", 13},
    {"digit before a dash ignored", "12-3", 2, -1, 0, Qt::Key_4, "4", "12-3", 2},
    {"digit replaces the selection", "123456", 0, 1, 3, Qt::Key_7, "7", "1756", 2},
    {"letter ignored", "12", 2, -1, 0, Qt::Key_A, "a", "12", 2},
    {"backspace removes before the caret", "1234", 2, -1, 0, Qt::Key_Backspace, "", "134", 1},
    {"backspace at the start does nothing", "1234", 0, -1, 0, Qt::Key_Backspace, "", "1234", 0},
    {"delete removes after the caret", "1234", 1, -1, 0, Qt::Key_Delete, "", "134", 1},
    {"delete at the end does nothing", "1234", 4, -1, 0, Qt::Key_Delete, "", "1234", 4},
    {"backspace removes the selection", "123456", 0, 2, 2, Qt::Key_Backspace, "", "1256", 2},
    {"caret key moves", "1234", 2, -1, 0, Qt::Key_Left, "", "1234", 1},
};

} // namespace

TEST(CnpEditKeys, TableOfKeys)
{
    TestApplication();
    for (const KeyCase& c : kKeys) {
        CnpEdit edit;
        edit.setText(QString::fromLatin1(c.before));
        edit.setCursorPosition(c.caret);
        if (c.selectFrom >= 0)
            edit.setSelection(c.selectFrom, c.selectLength);
        QKeyEvent press(QEvent::KeyPress, c.key, Qt::NoModifier, QString::fromLatin1(c.typed));
        QApplication::sendEvent(&edit, &press);
        EXPECT_EQ(edit.text(), QString::fromLatin1(c.after)) << c.rule;
        EXPECT_EQ(edit.cursorPosition(), c.caretAfter) << c.rule;
    }
}
