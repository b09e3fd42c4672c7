// The order of text: pairs of texts and which one comes first.
#include "engine/sql/TextCollation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(SqlTextOrder, PairsCompareInTheRomanianAlphabet)
{
    struct Pair {
        std::string a, b;
        int order; // -1: a first, 0: equal, 1: b first
    };
    const std::vector<Pair> pairs = {
        {"ANA", "ANA", 0},
        {"ANA  ", "ANA", 0},                  // trailing blanks ignored
        {"ANA", "ANAB", -1},                  // a prefix first
        {"ABC", "ĂBC", -1},                   // A Ă Â B
        {"ĂZ", "ÂA", -1},
        {"ÂZ", "BA", -1},
        {"IZVOR", "ÎNCEPUT", -1},             // I Î J
        {"ÎZ", "JA", -1},
        {"SUCIU", "ȘERBAN", -1},              // S Ș T
        {"ȘERBAN", "TĂNASE", -1},
        {"ŞERBAN", "TĂNASE", -1},             // cedilla form
        {"TZ", "ȚA", -1},                     // T Ț U
        {"ȚZ", "UA", -1},
        {"ŞERBAN ANA", "ȘERBAN ION", -1},     // cedilla and comma alike: the next letter decides
        {"ȘERBAN", "ŞERBAN", 1},              // same letters: the bytes decide, never equal
        {"Z", "a", -1},                       // a capital before any small letter, as in byte order
        {"ZAHARIA", "Ș", 1},
        {"ș", "t", -1},
        {"ZZ", "É", -1},                      // other letters after the alphabet
        {"10", "9", -1},                      // text, not numbers
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(sign(engine::sql::compareText(p.a, p.b)), p.order) << p.a << " / " << p.b;
        EXPECT_EQ(sign(engine::sql::compareText(p.b, p.a)), -p.order) << p.b << " / " << p.a;
    }
}

} // namespace
