// File-name parts made from supplier names: refused characters replaced,
// names that give the same file (ignoring case) numbered.
#include "reports/FileNameText.h"

#include <gtest/gtest.h>

namespace {

inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

struct CleanCase {
    const char* rule;
    QString name;
    QString expected;
};

TEST(FileNameText, RefusedCharactersBecomeUnderscores)
{
    const CleanCase cases[] = {
        {"plain name kept", "E.ON Energie Romania", "E.ON Energie Romania"},
        {"each file-system character", "a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"apostrophe", "D'Arc Gaz", "D_Arc Gaz"},
        {"control characters", QString("Gaz") + QChar(9) + "Sud" + QChar(1) + QChar(0x7f), "Gaz_Sud__"},
        {"letters with diacritics kept", QString::fromUtf8("Energie Brașov"), QString::fromUtf8("Energie Brașov")},
        {"empty stays empty", "", ""},
    };
    for (const CleanCase& c : cases)
        EXPECT_EQ(CleanFileNamePart(c.name), c.expected) << c.rule;
}

TEST(FileNameText, NamesThatGiveTheSameFileAreNumbered)
{
    struct Case {
        const char* rule;
        QStringList names;
        QStringList expected;
    } cases[] = {
        {"distinct names unchanged", {"CEZ", "ENEL"}, {"CEZ", "ENEL"}},
        {"same after cleaning", {"A/B", "A:B", "A*B"}, {"A_B", "A_B_2", "A_B_3"}},
        {"case does not make a different file", {"Engie", "ENGIE"}, {"Engie", "ENGIE_2"}},
        {"a numbered name never meets a real one", {"A", "a", "A_2"}, {"A", "a_2", "A_2_2"}},
        {"order kept", {"Z", "A", "z"}, {"Z", "A", "z_2"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UniqueFileNameParts(c.names), c.expected) << c.rule;
}

} // namespace
