// Fiscal code, phone and e-mail checks on tables of valid and invalid inputs.
#include "data/Validators.h"

#include <gtest/gtest.h>

using namespace hestavo;

namespace {

struct Case {
    const char* input;
    bool valid;
    const char* rule;
};

template <typename F>
void Check(F check, std::initializer_list<Case> cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rule) + ": \"" + c.input + "\"");
        EXPECT_EQ(check(QString::fromUtf8(c.input)), c.valid);
    }
}

} // namespace

TEST(Validators, FiscalCode)
{
    Check(IsValidCIF, {
        {"14399840", true, "eight digits with a correct control digit"},
        {"RO 14399840", true, "country prefix and a space"},
        {"ro 143 998 40", true, "lower-case prefix and spaces inside"},
        {"RO14399840", true, "prefix without space"},
        {"4221306", true, "seven digits, padded with zeros"},
        {"0014399840", true, "ten digits with leading zeros"},
        {"434", true, "three digits is the shortest code"},
        {"14399841", false, "changed control digit"},
        {"14389840", false, "one changed digit in the body"},
        {"RO 18547390", false, "one changed digit with prefix"},
        {"", false, "empty"},
        {"RO", false, "prefix only"},
        {"RO12", false, "two digits after the prefix"},
        {"12345678901", false, "eleven digits"},
        {"1439A9840", false, "a letter inside the digits"},
        {"14399840-", false, "trailing punctuation"},
    });
}

TEST(Validators, Phone)
{
    Check(IsValidPhone, {
        {"0722123456", true, "mobile"},
        {"0264 123 456", true, "landline 02 with spaces"},
        {"0372-123-456", true, "03 with dashes"},
        {"(021) 312.34.56", true, "Bucharest landline with punctuation"},
        {"0113456789", true, "01 prefix"},
        {"0822123456", false, "08 prefix"},
        {"722123456", false, "nine digits"},
        {"07221234567", false, "eleven digits"},
        {"+40722123456", false, "country code makes eleven digits"},
        {"", false, "empty"},
    });
}

TEST(Validators, Email)
{
    Check(IsValidEmail, {
        {"ion@mail.ro", true, "two-letter ending"},
        {"primaria.x@gmail.com", true, "dot in the name, three-letter ending"},
        {"a_b-c@sub-d.org", true, "dash and underscore"},
        {"abc@a.com", true, "five characters after @"},
        {"ab@mail.ro", false, "two characters before @"},
        {"ion@a.ro", false, "four characters after @"},
        {"ion@mailro", false, "no dot after @"},
        {"ion@mail.info", false, "four-letter ending"},
        {"ion@mail.co.uk", false, "text after the first dot is five characters"},
        {"ion@mail.r", false, "one-letter ending"},
        {"ion@ma@il.ro", false, "second @"},
        {"io n@mail.ro", false, "space in the name"},
        {"ion@mail.r\xc3\xb4", false, "letter outside A-Z"},
        {"", false, "empty"},
    });
}
