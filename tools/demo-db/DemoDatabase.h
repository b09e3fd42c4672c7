// Generator of the demo database of a large town: the tables "Cereri.dbf",
// "Oameni.dbf" and "LOG.DBF" of a data folder filled with households that
// look real (Romanian names and localities, valid CNPs, incomes across all
// eleven aid brackets, energy supplements with suppliers and client codes).
// Deterministic: the same options give the same files. Throws engine::Error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demodb {

struct Options {
    std::string folder;              // created when missing
    std::uint64_t seed = 1;
    int households = 5000;           // applications per working month
    int months = 5;                  // working months, from firstMonth on
    int firstMonth = 2024 * 12 + 10; // working-month serial (November 2024)
    bool overwrite = false;          // replace existing table files
};

struct Summary {
    int cereri = 0;
    int oameni = 0;
    std::vector<int> monthSerials;
};

Summary generate(const Options& options);

// The control digit of the first 12 digits of a CNP (weights 279146358279,
// sum mod 11, 10 gives 1).
char cnpControlDigit(const std::string& first12);
bool isValidCnp(const std::string& cnp);

// Upper limits of the eleven aid brackets and their aid (the defaults).
extern const int kBracketLimits[11];
extern const int kBracketAid[11];

} // namespace demodb
