// A materialised result set of a SELECT, in the statement's order. Fields are
// read by column name (case-insensitive). Owned by the caller of
// Database::open; independent of the Database once returned.
#pragma once

#include "Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class ResultSet {
public:
    ~ResultSet();
    ResultSet(ResultSet&&) noexcept;

    bool isEmpty() const;           // no visible row (after the filter)
    void first();
    void next();
    bool eof() const;
    int recordCount() const;        // visible rows
    int position() const;           // 0-based index of the current visible row

    std::vector<std::string> columnNames() const;
    ColumnType columnType(std::string_view column) const;
    int columnWidth(std::string_view column) const;      // characters of a C or N column
    int columnDecimals(std::string_view column) const;

    bool isNull(std::string_view column) const;
    // Trimmed text; numbers in the general format ("1600", "112.5"); dates
    // "dd.MM.yyyy"; NULL gives "".
    std::string text(std::string_view column) const;
    double number(std::string_view column) const;         // NULL gives 0
    long long integer(std::string_view column) const;     // NULL gives 0
    std::optional<Date> date(std::string_view column) const;

    // By 0-based position, for results that show one name twice
    // (SELECT A.TITULAR, B.TITULAR).
    int columnCount() const;
    ColumnType columnTypeAt(int column) const;
    std::string textAt(int column) const;

    // Filter: comparisons of a column with a constant (=, <>, <, <=, >, >=),
    // AND, OR, parentheses, single-quoted text; 'ABC*' matches by prefix.
    // Switched on and off without re-running the statement.
    void setFilter(std::string_view expression);
    // Filter by a test of one column's text (as text() gives it), in place
    // of an expression; an empty test or an unknown column shows every row.
    void setFilter(std::string_view column, std::function<bool(std::string_view text)> test);
    void setFiltered(bool on);
    bool isFiltered() const;

    // Moves to the first visible row with these values; false (position
    // unchanged) when none matches.
    bool locate(std::string_view column, std::string_view value);
    bool locate(std::string_view column1, std::string_view value1,
                std::string_view column2, std::string_view value2);

    struct Impl;
    explicit ResultSet(std::unique_ptr<Impl> impl);
private:
    std::unique_ptr<Impl> m_impl;
};

} // namespace engine
