// The text rules of the county CSV files, one table per rule: the cleaned
// value, the rounded income, the compensation level, the file-name key and
// the file layout.
#include "reports/CsvText.h"

#include <gtest/gtest.h>

using namespace hestavo;

namespace {

inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }

TEST(CountyCsvText, CleanedValues)
{
    const struct {
        const char* rule;
        QString in;
        QString out;
    } cases[] = {
        {"hyphen and lower case", "Pop-Ionescu maria", "POP IONESCU MARIA"},
        {"comma dropped, dots kept", "Str. Lunga, nr. 5", "STR. LUNGA NR. 5"},
        {"decision reference slash", "12/03.01.2022", "12 03.01.2022"},
        {"quotes, slashes and runs of spaces", "  \"Ana\"  /  Ion\t", "ANA ION"},
        {"diacritics lose their marks", QString::fromUtf8("Ștefan Mureșan Țâră Î"), "STEFAN MURESAN TARA I"},
        {"letters without a decomposition", QString::fromUtf8("Łukasz Đorđe Weiß"), "LUKASZ DORDE WEISS"},
        {"other characters become spaces", QString::fromUtf8("A;B:C_D€E'F"), "A B C D E F"},
        {"empty stays empty", "", ""},
        {"only separators", " , / - ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        EXPECT_EQ(CsvValue(c.in), c.out);
        for (QChar ch : CsvValue(c.in))
            EXPECT_TRUE(ch == u' ' || ch == u'.' || (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z'));
    }
}

TEST(CountyCsvText, IncomeAndCompensationLevel)
{
    const struct {
        double income;
        QString rounded;
    } incomes[] = {
        {349.5, "350"}, {349.00, "349"}, {200.01, "201"}, {200.00, "200"}, {0, "0"},
        {0.01, "1"},    {1280.99, "1281"}, {2053.1, "2054"}, {0.29 + 0.7, "1"},
    };
    for (const auto& c : incomes) {
        SCOPED_TRACE(c.income);
        EXPECT_EQ(RoundedIncome(c.income), c.rounded);
    }

    const struct {
        double aid;
        QString level;
    } levels[] = {
        {288, "90.00"},  {320, "100.00"}, {0, "0.00"},
        {262, "81.88"},  // 81.875: the half goes up
        {261, "81.56"},  // 81.5625
        {288.5, "90.00"},  // the aid is rounded first, halves to even: 288
        {289.5, "90.63"},  // 290 -> 90.625
        {640, "200.00"},
    };
    for (const auto& c : levels) {
        SCOPED_TRACE(c.aid);
        EXPECT_EQ(CompensationLevel(c.aid), c.level);
    }

    EXPECT_EQ(HundredthsText(4425600), "44256.00");
    EXPECT_EQ(HundredthsText(5), "0.05");
    EXPECT_EQ(HundredthsText(-1205), "-12.05");
}

TEST(CountyCsvText, FileNameKeys)
{
    EXPECT_EQ(CountyAnnexStem(13, "Comuna Sfanta Maria", "Februarie", 2024), "ANEXA_13_COMUNASFANTAMARIA_FEBRUARIE_2024");
    EXPECT_EQ(CountyAnnexStem(17, QString::fromUtf8("Oraș Târgu-Ocna_2 / \"Vest\""), "Decembrie", 2023),
              "ANEXA_17_ORASTARGUOCNA_2VEST_DECEMBRIE_2023");
    EXPECT_EQ(NameKey(QString::fromUtf8("Ședința: *?<>|")), "SEDINTA");
}

TEST(CountyCsvText, FileLayout)
{
    CsvTable table("Nr,Titular,CNP");
    EXPECT_EQ(table.bytes(), QByteArray("Nr,Titular,CNP\r\n1,2,3\r\n"));
    table.append({"POP ION", "1800101040011"});
    table.append({"", "2850202040012"});
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.bytes(), QByteArray("Nr,Titular,CNP\r\n1,2,3\r\n1,POP ION,1800101040011\r\n2,,2850202040012\r\n"));
}

} // namespace
