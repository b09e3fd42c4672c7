// County list, abbreviations and default county codes; locality genitive.
#include "register/AdminSettings.h"
#include "register/Counties.h"

#include <gtest/gtest.h>

using namespace hestavo;

TEST(Counties, NamesAbbreviationsAndCodes)
{
    ASSERT_EQ(CountyNames().size(), 48);
    ASSERT_EQ(CountyAbbreviations().size(), 48);
    struct Case {
        const char* name;
        const char* abbreviation;
        const char* code;
    };
    const Case cases[] = {
        {"ALBA", "AB", "01"},     {"BACAU", "BC", "04"},  {"BRASOV", "BV", "08"},   {"BRAILA", "BR", "09"},
        {"CLUJ", "CJ", "13"},     {"IASI", "II", "24"},   {"SATU-MARE", "SM", "32"}, {"VRANCEA", "VN", "41"},
        {"BUCURESTI", "B", "42"}, {"SECTOR 1", "B", "43"}, {"SECTOR 6", "B", "48"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int i = CountyIndex(c.name);
        ASSERT_GE(i, 0);
        EXPECT_EQ(CountyAbbreviations().at(i), c.abbreviation);
        EXPECT_EQ(DefaultCountyCode(i), c.code);
        AdminSettings s;
        s.judet = c.name;
        EXPECT_EQ(CountyAbbreviation(s), c.abbreviation);
        ApplyCountyRule(s);
        EXPECT_EQ(s.codjud, c.code);
    }
    EXPECT_EQ(CountyIndex("Cluj"), -1); // the caller upper-cases
    EXPECT_EQ(CountyIndex(""), -1);
    AdminSettings none;
    ApplyCountyRule(none);
    EXPECT_EQ(none.codjud, "");
    EXPECT_EQ(CountyAbbreviation(none), "");
}

TEST(Counties, LocalityGenitive)
{
    EXPECT_EQ(LocalityGenitive(0), "comunei ");
    EXPECT_EQ(LocalityGenitive(1), "orasului ");
    EXPECT_EQ(LocalityGenitive(2), "municipiului ");
}
