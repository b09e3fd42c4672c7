// Values that cross the engine boundary: calendar dates, column types and the
// error type every engine failure raises. Standard C++ only.
#pragma once

#include <stdexcept>
#include <string>

namespace engine {

// Every engine failure (file, column, statement, lock) raises this; the message
// names what failed: the file, the column, the token and its position.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A calendar date. "Day number" is days since 30 December 1899, the convention
// of spreadsheets and of the backup list.
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;

    bool isValid() const;
    long dayNumber() const;
    static Date fromDayNumber(long days);
    // "dd.MM.yyyy"; an invalid text gives an invalid Date.
    static Date fromText(const std::string& ddMMyyyy);
    std::string toText() const;
    friend bool operator==(const Date&, const Date&) = default;
};

enum class ColumnType { Char, Numeric, Float, Integer, Date, Logical, Memo };

} // namespace engine
