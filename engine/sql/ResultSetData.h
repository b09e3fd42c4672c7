// The rows and columns behind a ResultSet, filled by Database::open.
#pragma once

#include "engine/ResultSet.h"
#include "engine/sql/RowFilter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine {

struct ResultColumn {
    std::string name;
    ColumnType type = ColumnType::Char;
    int width = 0;
    int decimals = -1;   // -1: general number format
};

struct ResultCell {
    enum class Kind : std::uint8_t { Null, Integer, Real, Text } kind = Kind::Null;
    long long integer = 0;
    double real = 0;
    std::string text;    // Text; for Date columns "yyyy-MM-dd"
};

struct ResultSet::Impl {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<ResultCell>> rows;
    std::vector<std::size_t> visible;   // indices of rows that pass the filter
    std::size_t pos = 0;                // index into visible
    std::shared_ptr<const sql::RowFilter> filter;
    std::string filterText;
    int testColumn = -1;                                    // the column of textTest
    std::function<bool(std::string_view)> textTest;
    bool filtered = false;

    void refilter();
    int column(std::string_view name) const;       // -1 when absent
    int requireColumn(std::string_view name) const; // throws engine::Error
    int requirePosition(int column) const;           // throws engine::Error when out of range
    const ResultCell* cell(std::string_view name) const; // nullptr at eof
};

} // namespace engine
