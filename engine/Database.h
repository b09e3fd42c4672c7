// The engine context: runs statements of the local-SQL dialect on dBase table
// files named by their full path in double quotes. One per program; not
// thread-safe. Every failure raises engine::Error.
//
// Several processes may share the tables: a write statement (UPDATE, DELETE,
// INSERT) chooses and changes its rows as they are once it holds the table's
// write lock; rows another process changed after the statement was
// translated are read again first. Packing, restructuring or dropping a
// table is refused while a TableCursor of this context walks it.
#pragma once

#include "ResultSet.h"
#include "Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class Transaction;
class TableCursor;

class Database {
public:
    // privateDir: where the engine keeps its own scratch files (may be empty:
    // the system temporary folder is used).
    explicit Database(std::string privateDir = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A statement is given as lines of text; line breaks are insignificant.
    void exec(const std::vector<std::string>& lines);
    void exec(std::string_view statement);
    std::unique_ptr<ResultSet> open(const std::vector<std::string>& lines);
    std::unique_ptr<ResultSet> open(std::string_view statement);

    // Groups the following statements: applied whole on commit(), rolled back
    // when the Transaction is destroyed without commit().
    Transaction beginTransaction();

    // Walks the rows of one table that match a filter expression (the result
    // set filter syntax; empty = every row) and posts changed fields.
    TableCursor openCursor(const std::string& tablePath, std::string_view filter = {});

    // Maintenance operations; both need exclusive use of the table.
    void packTable(const std::string& tablePath);
    void changeColumnWidth(const std::string& tablePath, std::string_view column, int width);

    struct Impl;
private:
    std::unique_ptr<Impl> m_impl;
    friend class Transaction;
    friend class TableCursor;
};

class Transaction {
public:
    ~Transaction(); // rolls back unless committed
    Transaction(Transaction&&) noexcept;
    Transaction& operator=(Transaction&&) = delete;
    void commit();
private:
    friend class Database;
    explicit Transaction(Database::Impl* db);
    Database::Impl* m_db;
    bool m_done = false;
};

class TableCursor {
public:
    ~TableCursor();
    TableCursor(TableCursor&&) noexcept;
    bool eof() const;
    void next();
    bool isNull(std::string_view column) const;
    std::string text(std::string_view column) const;
    double number(std::string_view column) const;
    long long integer(std::string_view column) const;
    std::optional<Date> date(std::string_view column) const;
    // Changes are kept until post() writes the current row back to the file.
    void setText(std::string_view column, std::string_view value);
    void setNumber(std::string_view column, double value);
    void setDate(std::string_view column, const Date& value);
    void setNull(std::string_view column);
    void post();
    struct Impl;
private:
    friend class Database;
    explicit TableCursor(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace engine
