// Turns a parsed statement of the local-SQL dialect into SQLite SQL over the
// virtual tables that expose the table files, keeping the old engine's rules:
// table paths in double quotes, blank fields as NULL that equal "", quoted
// numbers and dates taken by the column's type, "+" that joins text,
// unqualified columns belonging to the first table that has them, and the
// type of every result column. Throws engine::Error naming the token, the
// column or the table and the position.
#pragma once

#include "engine/Value.h"
#include "engine/sql/Ast.h"
#include "engine/sql/Lexer.h"
#include "engine/storage/DbfTable.h"

#include <string>
#include <vector>

namespace engine::sql {

// A table file as the translator sees it.
struct TableSchema {
    std::string path;     // as resolved on disk
    std::string sqlName;  // name of its virtual table in the SQLite connection
    std::vector<storage::Column> columns;
    int columnIndex(std::string_view name) const;
};

// Gives the schema of a table named in a statement; throws engine::Error when
// the file cannot be opened (the message names the file and the position).
class Catalog {
public:
    virtual ~Catalog() = default;
    virtual const TableSchema& table(const std::string& path, bool quoted, const std::string& where) = 0;
};

// Types of values inside translated statements: dates travel as ISO text
// "yyyy-MM-dd", numbers as SQLite numbers, text as UTF-8.
enum class ValueType { Text, Number, Date, Boolean, Null };

struct OutputColumn {
    std::string name;
    ValueType type = ValueType::Null;
    int width = 0;
    int decimals = -1;   // -1: general number format
};

struct Translation {
    std::string sql;                     // empty for CREATE / ALTER / DROP
    std::vector<OutputColumn> columns;   // SELECT result columns
    const TableSchema* target = nullptr; // table written by INSERT / UPDATE / DELETE
    std::vector<std::string> tables;     // files the statement names, as resolved, in order
};

Translation translate(const Statement& statement, const SourceText& source, Catalog& catalog);

// "yyyy-MM-dd" of a date, and back ("dd.MM.yyyy" is accepted too).
std::string isoDate(const Date& d);
Date parseAnyDate(std::string_view text);
// The general number format: "." decimals, no trailing zeros; decimals >= 0
// rounds to that many decimals first.
std::string formatNumber(double v, int decimals = -1);

} // namespace engine::sql
