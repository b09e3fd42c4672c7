#include "engine/Database.h"

#include "engine/sql/DbfVirtualTable.h"
#include "engine/sql/Parser.h"
#include "engine/sql/ResultSetData.h"
#include "engine/sql/SqliteMessage.h"
#include "engine/sql/RowFilter.h"
#include "engine/sql/TableHost.h"
#include "engine/sql/TextCollation.h"
#include "engine/sql/Translator.h"
#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"

#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace engine {

using sql::TableEntry;

namespace {

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            s += '\n';
        s += lines[i];
    }
    return s;
}

std::string excerpt(const std::string& statement)
{
    std::string s;
    for (char c : statement)
        s += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
    if (s.size() > 160)
        s = s.substr(0, 157) + "...";
    return s;
}

// Test switch: with HESTAVO_TEST_WRITE_PAUSE=<path> in the environment, a
// write statement stops after it has been translated (its rows read), before
// it takes the table's write lock: it creates "<path>.paused" and waits until
// "<path>.go" exists (at most 60 seconds). Tests use it to change the table
// from another process at exactly that moment.
void pauseBeforeWriteLock()
{
    const char* base = std::getenv("HESTAVO_TEST_WRITE_PAUSE");
    if (!base || !*base)
        return;
    const std::string paused = std::string(base) + ".paused";
    const std::string go = std::string(base) + ".go";
    std::ofstream(paused).put('1');
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code ec;
    while (!std::filesystem::exists(storage::fsPath(go), ec) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Hands a text back as a SQL function result; SQLite keeps its own copy.
void resultText(sqlite3_context* ctx, const std::string& s)
{
    sqlite3_result_text(ctx, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Converts a number of general text to the format of a SQL function result.
void resultNumberText(sqlite3_context* ctx, double v) { resultText(ctx, sql::formatNumber(v)); }

// The text of a function argument; empty where SQLite has none to give.
std::string argumentText(sqlite3_value* v)
{
    const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return t ? t : "";
}

// hv_num(x): a number as text in the general format (used when "+" joins text).
void fnNum(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: sqlite3_result_null(ctx); break;
    case SQLITE_INTEGER: resultText(ctx, std::to_string(sqlite3_value_int64(argv[0]))); break;
    case SQLITE_FLOAT: resultNumberText(ctx, sqlite3_value_double(argv[0])); break;
    default: sqlite3_result_value(ctx, argv[0]);
    }
}

// hv_date(x): "yyyy-MM-dd" as "dd.MM.yyyy".
void fnDate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string t = argumentText(argv[0]);
    Date d = sql::parseAnyDate(t);
    if (!d.isValid()) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    resultText(ctx, d.toText());
}

// hv_todate(x): CAST(x AS DATE).
void fnToDate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const std::string t = argumentText(argv[0]);
    Date d = sql::parseAnyDate(t);
    if (!d.isValid()) {
        std::string msg = "Data invalida \"" + t + "\" in CAST";
        sqlite3_result_error(ctx, msg.c_str(), -1);
        return;
    }
    resultText(ctx, sql::isoDate(d));
}

// Numeric value of a text for CAST(... AS FLOAT/INTEGER): blank gives NULL, a
// leading number is taken (as the old engine read "12/2022" as 12).
bool numberOf(sqlite3_value* v, double& out)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return false;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: out = sqlite3_value_double(v); return true;
    default: {
        const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        if (!t)
            return false;
        while (*t == ' ')
            ++t;
        if (!*t)
            return false;
        out = std::strtod(t, nullptr);
        return true;
    }
    }
}

void fnToReal(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    double d;
    if (numberOf(argv[0], d))
        sqlite3_result_double(ctx, d);
    else
        sqlite3_result_null(ctx);
}

void fnToInt(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    double d;
    if (numberOf(argv[0], d))
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(std::trunc(d)));
    else
        sqlite3_result_null(ctx);
}

// hv_div(a, b, where): a / b; a divisor of 0 is an error naming the divisor
// and its place in the statement, so that nothing is written with a blank.
void fnDiv(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const double divisor = sqlite3_value_double(argv[1]);
    if (divisor == 0) {
        const std::string msg = "Impartire la zero: " + argumentText(argv[2]);
        sqlite3_result_error(ctx, msg.c_str(), -1);
        return;
    }
    sqlite3_result_double(ctx, sqlite3_value_double(argv[0]) / divisor);
}

ColumnType columnTypeOf(const sql::OutputColumn& c)
{
    switch (c.type) {
    case sql::ValueType::Text: return ColumnType::Char;
    case sql::ValueType::Number: return ColumnType::Numeric;
    case sql::ValueType::Date: return ColumnType::Date;
    case sql::ValueType::Boolean: return ColumnType::Logical;
    default: return ColumnType::Char;
    }
}

} // namespace

struct Database::Impl : sql::TableHost, sql::Catalog {
    sqlite3* db = nullptr;
    std::string privateDir;
    std::map<std::string, std::unique_ptr<TableEntry>> byPath;
    std::vector<TableEntry*> byId;
    std::map<int, sql::TableSchema> schemas;
    std::map<int, std::uint64_t> checkedEpoch;
    std::uint64_t epoch = 0;
    int vtabCounter = 0;
    bool inTransaction = false;
    bool transactionFailed = false;

    Impl()
    {
        if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
            throw Error("Nu pot porni motorul SQL");
        sql::registerDbfModule(db, this);
        const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
        sqlite3_create_function(db, "hv_num", 1, flags, nullptr, fnNum, nullptr, nullptr);
        sqlite3_create_function(db, "hv_date", 1, flags, nullptr, fnDate, nullptr, nullptr);
        sqlite3_create_function(db, "hv_todate", 1, flags, nullptr, fnToDate, nullptr, nullptr);
        sqlite3_create_function(db, "hv_toreal", 1, flags, nullptr, fnToReal, nullptr, nullptr);
        sqlite3_create_function(db, "hv_toint", 1, flags, nullptr, fnToInt, nullptr, nullptr);
        sqlite3_create_function(db, "hv_div", 3, flags, nullptr, fnDiv, nullptr, nullptr);
        sql::registerTextCollation(db);
        // LIKE compares case-sensitively, as the old engine did.
        sqlite3_exec(db, "PRAGMA case_sensitive_like=ON", nullptr, nullptr, nullptr);
    }

    ~Impl() override
    {
        try {
            rollbackTransaction();
        } catch (...) {
        }
        sqlite3_close_v2(db);
    }

    void execSqlite(const std::string& sql)
    {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = err ? err : "eroare SQLite";
            sqlite3_free(err);
            throw Error(msg);
        }
    }

    // ----- TableHost -----
    TableEntry& acquire(int id) override
    {
        if (id < 1 || id > static_cast<int>(byId.size()))
            throw Error("Tabela necunoscuta in motorul SQL");
        TableEntry& e = *byId[id - 1];
        if (!e.handle)
            e.handle.emplace(storage::DbfTable::open(e.path));
        auto& checked = checkedEpoch[id];
        if (e.dataValid && checked != epoch) {
            // Once per statement: has another process changed the file?
            if (!(e.handle->identity() == e.identity))
                e.invalidate();
        }
        checked = epoch;
        if (!e.dataValid) {
            e.identity = e.handle->identity();
            e.data = e.handle->readAll();
            e.indexes.clear();
            e.rowOfRecord.clear();
            e.dataValid = true;
        }
        sql::applyWrittenRecords(e);
        return e;
    }

    // The transaction's batch takes the write lock, kept until the
    // transaction ends. Rows read before it are kept only if nobody changed
    // the file meanwhile; from here on only this process writes it, so what
    // the transaction writes keeps the cache up to date.
    void beginTransactionBatch(TableEntry& e)
    {
        if (inTransaction && !e.transactionBatch) {
            e.handle->beginBatch();
            e.transactionBatch = true;
            if (e.dataValid && !(e.handle->identity() == e.identity))
                e.invalidate();
        }
    }

    void beginWrite(TableEntry& e) override
    {
        pauseBeforeWriteLock();
        beginTransactionBatch(e);
        e.handle->beginBatch();
        // The batch holds the write lock, so nobody else can change the file
        // before this statement commits. The rows were read when the
        // statement was translated, before the lock: if another process
        // changed the file since, they are read again now, so that the
        // statement picks and changes the rows as they are under the lock.
        e.resetWrite();
        e.cleanAtBegin = e.dataValid && e.handle->identity() == e.identity;
        if (!e.cleanAtBegin)
            e.invalidate();
        // The other tables of the statement (the source of INSERT ... SELECT,
        // sub-selects) are checked again as well when next read.
        checkedEpoch.clear();
    }

    // Records changed in place by a statement that found the file as cached
    // are put into the cache; anything else (appends, removals, a file changed
    // by another process) makes the next statement read the table again.
    void commitWrite(TableEntry& e) override
    {
        bool patchable = e.cleanAtBegin && !e.structuralWrite && e.dataValid;
        if (patchable) {
            try {
                sql::noteWrittenRecords(e, e.updatedRecords, e.changedColumns); // from the batch, before it is written
            } catch (...) {
                patchable = false;
            }
        }
        try {
            e.handle->commitBatch();
        } catch (...) {
            e.invalidate();
            throw;
        }
        if (!patchable) {
            e.invalidate();
            return;
        }
        try {
            e.identity = e.handle->inBatch() ? e.handle->identity() : e.handle->identityAtCommit();
            e.resetWrite();
        } catch (...) {
            e.invalidate();
        }
    }

    void rollbackWrite(TableEntry& e) override
    {
        if (e.handle && e.handle->inBatch())
            e.handle->rollbackBatch();
        if (e.transactionBatch) {
            // The whole transaction's batch of this table is gone: the
            // transaction can only be rolled back now.
            e.transactionBatch = false;
            transactionFailed = true;
        }
        e.invalidate();
    }

    // ----- Catalog -----
    TableEntry& entryFor(const std::string& path)
    {
        std::string resolved = storage::DbfTable::resolvePath(path);
        auto it = byPath.find(resolved);
        if (it != byPath.end())
            return *it->second;
        auto e = std::make_unique<TableEntry>();
        e->id = static_cast<int>(byId.size()) + 1;
        e->path = resolved;
        byId.push_back(e.get());
        TableEntry& ref = *e;
        byPath.emplace(resolved, std::move(e));
        return ref;
    }

    static std::string tablePath(const std::string& path, bool quoted)
    {
        if (quoted)
            return path;
        // A bare name is a file of the current folder, ".dbf" by default.
        const std::filesystem::path p = storage::fsPath(path);
        if (!p.has_extension())
            return path + ".dbf";
        return path;
    }

    const sql::TableSchema& table(const std::string& path, bool quoted, const std::string& where) override
    {
        const std::string file = tablePath(path, quoted);
        TableEntry* e = nullptr;
        try {
            e = &entryFor(file);
            acquire(e->id);
        } catch (const Error& ex) {
            throw Error("Tabela \"" + file + "\" nu poate fi deschisa (" + where + "): " + ex.what());
        }
        const auto& cols = e->handle->columns();
        if (e->sqlName.empty() || !(e->declared == cols)) {
            if (!e->sqlName.empty())
                execSqlite("DROP TABLE temp.\"" + e->sqlName + "\"");
            e->sqlName.clear();
            std::string name = "dbf_" + std::to_string(++vtabCounter);
            execSqlite("CREATE VIRTUAL TABLE temp.\"" + name + "\" USING hestavo_dbf(" + std::to_string(e->id) + ")");
            e->sqlName = name;
            e->declared = cols;
        }
        sql::TableSchema& s = schemas[e->id];
        s.path = e->path;
        s.sqlName = e->sqlName;
        s.columns = cols;
        return s;
    }

    // Handles not needed by a transaction or a cursor are closed after each
    // statement, so that packing and other processes are not kept out.
    void releaseIdle()
    {
        for (TableEntry* e : byId)
            if (e->handle && !e->transactionBatch && e->cursorRefs == 0 && !e->handle->inBatch())
                e->handle.reset();
    }

    void forget(TableEntry& e)
    {
        e.invalidate();
        if (!e.sqlName.empty()) {
            try {
                execSqlite("DROP TABLE temp.\"" + e.sqlName + "\"");
            } catch (...) {
            }
            e.sqlName.clear();
            e.declared.clear();
        }
    }

    // Restructuring, packing or dropping a table would pull the file from
    // under a TableCursor of this process (its later posts would land on
    // renumbered records or on a closed handle): refused until it is closed.
    static void refuseUnderOpenCursor(const TableEntry& e, const std::string& operation)
    {
        if (e.cursorRefs > 0)
            throw Error("Tabela \"" + e.path + "\" este parcursa de un cursor deschis; " + operation
                        + " nu se poate face pana la inchiderea cursorului");
    }

    // ----- statements -----
    void checkTransaction()
    {
        if (inTransaction && transactionFailed)
            throw Error("Tranzactia a fost anulata din cauza unei erori anterioare; nimic nu a fost salvat");
    }

    sqlite3_stmt* prepare(const sql::Translation& tr, const sql::SourceText& src)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, tr.sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            std::string msg = sql::engineMessage(sqlite3_errmsg(db), src, tr.tables);
            sqlite3_finalize(stmt);
            throw Error("Comanda nu poate fi executata: " + msg + " [" + excerpt(src.text()) + "]");
        }
        return stmt;
    }

    [[noreturn]] void stepFailed(sqlite3_stmt* stmt, const sql::Translation& tr, const sql::SourceText& src)
    {
        std::string msg = sql::engineMessage(sqlite3_errmsg(db), src, tr.tables);
        sqlite3_finalize(stmt);
        throw Error(msg + " [" + excerpt(src.text()) + "]");
    }

    void createTable(const sql::Statement& st, const sql::SourceText& src)
    {
        const std::string file = tablePath(st.table.path, st.table.quoted);
        std::vector<storage::Column> cols;
        for (const auto& d : st.addColumns) {
            storage::Column c;
            c.name = sql::toUpperAscii(d.name);
            c.type = d.type;
            c.width = d.width;
            c.decimals = d.decimals;
            cols.push_back(c);
        }
        if (std::filesystem::exists(storage::fsPath(storage::DbfTable::resolvePath(file))))
            throw Error("Tabela \"" + file + "\" exista deja (" + src.where(st.table.offset) + ")");
        storage::DbfTable::create(file, cols);
        auto it = byPath.find(storage::DbfTable::resolvePath(file));
        if (it != byPath.end())
            forget(*it->second);
    }

    void alterTable(const sql::Statement& st, const sql::SourceText& src)
    {
        const std::string file = tablePath(st.table.path, st.table.quoted);
        TableEntry* e = nullptr;
        try {
            e = &entryFor(file);
            acquire(e->id);
        } catch (const Error& ex) {
            throw Error("Tabela \"" + file + "\" nu poate fi deschisa (" + src.where(st.table.offset) + "): " + ex.what());
        }
        refuseUnderOpenCursor(*e, "ALTER TABLE (" + src.where(st.table.offset) + ")");
        forget(*e);
        if (!st.addColumns.empty()) {
            std::vector<storage::Column> cols;
            for (const auto& d : st.addColumns) {
                if (e->handle->columnIndex(d.name) >= 0)
                    throw Error("Coloana " + sql::toUpperAscii(d.name) + " exista deja in tabela \"" + e->path + "\" ("
                                + src.where(d.offset) + ")");
                storage::Column c;
                c.name = sql::toUpperAscii(d.name);
                c.type = d.type;
                c.width = d.width;
                c.decimals = d.decimals;
                cols.push_back(c);
            }
            e->handle->addColumns(cols);
        }
        for (const auto& [name, offset] : st.dropColumns) {
            if (e->handle->columnIndex(name) < 0)
                throw Error("Coloana necunoscuta \"" + name + "\" in tabela \"" + e->path + "\" (" + src.where(offset) + ")");
            e->handle->dropColumn(name);
        }
        e->handle.reset();
        e->invalidate();
    }

    void dropTable(const sql::Statement& st, const sql::SourceText& src)
    {
        const std::string file = storage::DbfTable::resolvePath(tablePath(st.table.path, st.table.quoted));
        auto it = byPath.find(file);
        if (it != byPath.end()) {
            refuseUnderOpenCursor(*it->second, "DROP TABLE (" + src.where(st.table.offset) + ")");
            forget(*it->second);
            it->second->handle.reset();
        }
        std::error_code ec;
        if (!std::filesystem::remove(storage::fsPath(file), ec))
            throw Error("Tabela \"" + file + "\" nu poate fi stearsa (" + src.where(st.table.offset) + ")");
    }

    void run(const std::string& statement, ResultSet::Impl* result)
    {
        checkTransaction();
        ++epoch;
        sql::SourceText src(statement);
        sql::Statement st = sql::parseStatement(src);
        try {
            if (result && st.kind != sql::StatementKind::Select)
                throw Error("Comanda nu este un SELECT: [" + excerpt(statement) + "]");
            switch (st.kind) {
            case sql::StatementKind::CreateTable: createTable(st, src); break;
            case sql::StatementKind::AlterTable: alterTable(st, src); break;
            case sql::StatementKind::DropTable: dropTable(st, src); break;
            default: {
                sql::Translation tr = sql::translate(st, src, *this);
                sqlite3_stmt* stmt = prepare(tr, src);
                if (result) {
                    for (const auto& c : tr.columns) {
                        ResultColumn rc;
                        rc.name = c.name;
                        rc.type = columnTypeOf(c);
                        rc.width = c.width;
                        rc.decimals = c.decimals;
                        result->columns.push_back(rc);
                    }
                }
                const int ncols = sqlite3_column_count(stmt);
                std::vector<bool> typeKnown(ncols);
                for (int i = 0; i < ncols && i < static_cast<int>(tr.columns.size()); ++i)
                    typeKnown[i] = tr.columns[i].type != sql::ValueType::Null;
                for (;;) {
                    int rc = sqlite3_step(stmt);
                    if (rc == SQLITE_DONE)
                        break;
                    if (rc != SQLITE_ROW)
                        stepFailed(stmt, tr, src);
                    if (!result)
                        continue;
                    std::vector<ResultCell> row(ncols);
                    for (int i = 0; i < ncols; ++i) {
                        ResultCell& cell = row[i];
                        switch (sqlite3_column_type(stmt, i)) {
                        case SQLITE_INTEGER:
                            cell.kind = ResultCell::Kind::Integer;
                            cell.integer = sqlite3_column_int64(stmt, i);
                            break;
                        case SQLITE_FLOAT:
                            cell.kind = ResultCell::Kind::Real;
                            cell.real = sqlite3_column_double(stmt, i);
                            break;
                        case SQLITE_NULL:
                            break;
                        default: {
                            cell.kind = ResultCell::Kind::Text;
                            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                            cell.text.assign(t ? t : "", static_cast<size_t>(sqlite3_column_bytes(stmt, i)));
                        }
                        }
                        if (!typeKnown[i] && cell.kind != ResultCell::Kind::Null) {
                            result->columns[i].type =
                                cell.kind == ResultCell::Kind::Text ? ColumnType::Char : ColumnType::Numeric;
                            typeKnown[i] = true;
                        }
                    }
                    result->rows.push_back(std::move(row));
                }
                sqlite3_finalize(stmt);
            }
            }
        } catch (...) {
            releaseIdle();
            throw;
        }
        releaseIdle();
    }

    // ----- transactions -----
    void commitTransaction()
    {
        if (!inTransaction)
            return;
        if (transactionFailed) {
            rollbackTransaction();
            throw Error("Tranzactia a fost anulata din cauza unei erori anterioare; nimic nu a fost salvat");
        }
        std::vector<storage::DbfTable*> tables;
        for (TableEntry* e : byId)
            if (e->transactionBatch && e->handle)
                tables.push_back(&*e->handle);
        try {
            storage::DbfTable::commitBatches(tables);
        } catch (...) {
            rollbackTransaction();
            throw;
        }
        // The cached rows, read under the transaction's lock or checked when
        // it was taken, plus what the transaction wrote, are the file as
        // committed.
        for (TableEntry* e : byId) {
            if (e->transactionBatch) {
                e->transactionBatch = false;
                keepAfterOwnCommit(*e);
            }
        }
        inTransaction = false;
        transactionFailed = false;
        releaseIdle();
    }

    static void keepAfterOwnCommit(TableEntry& e)
    {
        if (!e.dataValid || !e.handle) {
            e.invalidate();
            return;
        }
        e.identity = e.handle->identityAtCommit();
    }

    void rollbackTransaction()
    {
        for (TableEntry* e : byId) {
            if (e->transactionBatch) {
                if (e->handle && e->handle->inBatch())
                    e->handle->rollbackBatch();
                e->transactionBatch = false;
                e->invalidate();
            }
        }
        inTransaction = false;
        transactionFailed = false;
        releaseIdle();
    }
};

Database::Database(std::string privateDir) : m_impl(std::make_unique<Impl>())
{
    m_impl->privateDir = std::move(privateDir);
}

Database::~Database() = default;

void Database::exec(const std::vector<std::string>& lines) { m_impl->run(joinLines(lines), nullptr); }
void Database::exec(std::string_view statement) { m_impl->run(std::string(statement), nullptr); }

std::unique_ptr<ResultSet> Database::open(const std::vector<std::string>& lines)
{
    return open(joinLines(lines));
}

std::unique_ptr<ResultSet> Database::open(std::string_view statement)
{
    auto impl = std::make_unique<ResultSet::Impl>();
    m_impl->run(std::string(statement), impl.get());
    return std::make_unique<ResultSet>(std::move(impl));
}

Transaction Database::beginTransaction()
{
    if (m_impl->inTransaction)
        throw Error("O tranzactie este deja deschisa");
    m_impl->inTransaction = true;
    m_impl->transactionFailed = false;
    return Transaction(m_impl.get());
}

Transaction::Transaction(Database::Impl* db) : m_db(db) {}
Transaction::Transaction(Transaction&& o) noexcept : m_db(o.m_db), m_done(o.m_done) { o.m_done = true; }
Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_db->rollbackTransaction();
        } catch (...) {
        }
    }
}
void Transaction::commit()
{
    if (m_done)
        throw Error("Tranzactia a fost deja incheiata");
    m_done = true;
    m_db->commitTransaction();
}

void Database::packTable(const std::string& tablePath)
{
    TableEntry& e = m_impl->entryFor(tablePath);
    try {
        m_impl->refuseUnderOpenCursor(e, "compactarea");
        m_impl->acquire(e.id);
        e.handle->pack();
    } catch (...) {
        e.invalidate();
        m_impl->releaseIdle();
        throw;
    }
    e.invalidate();
    m_impl->releaseIdle();
}

void Database::changeColumnWidth(const std::string& tablePath, std::string_view column, int width)
{
    TableEntry& e = m_impl->entryFor(tablePath);
    try {
        m_impl->refuseUnderOpenCursor(e, "schimbarea latimii coloanei " + std::string(column));
        m_impl->acquire(e.id);
        if (e.handle->columnIndex(column) < 0)
            throw Error("Coloana necunoscuta \"" + std::string(column) + "\" in tabela \"" + e.path + "\"");
        m_impl->forget(e);
        e.handle->changeColumnWidth(column, width);
    } catch (...) {
        e.invalidate();
        if (e.handle && e.cursorRefs == 0 && !e.transactionBatch)
            e.handle.reset();
        throw;
    }
    e.handle.reset();
    e.invalidate();
}

// ----- TableCursor -----

struct TableCursor::Impl {
    Database::Impl* db = nullptr;
    TableEntry* entry = nullptr;
    storage::TableData data;
    std::vector<std::size_t> rows;
    std::size_t pos = 0;
    std::vector<std::pair<int, storage::FieldValue>> pending;  // set, not posted
    std::vector<std::pair<int, storage::FieldValue>> posted;   // posted on the current row

    int column(std::string_view name) const
    {
        int c = entry->handle->columnIndex(name);
        if (c < 0)
            throw Error("Coloana necunoscuta \"" + std::string(name) + "\" in tabela \"" + entry->path + "\"");
        return c;
    }

    storage::FieldValue value(int c) const
    {
        if (pos >= rows.size())
            throw Error("Cursorul tabelei \"" + entry->path + "\" este dupa ultimul rand");
        for (auto it = pending.rbegin(); it != pending.rend(); ++it)
            if (it->first == c)
                return it->second;
        for (auto it = posted.rbegin(); it != posted.rend(); ++it)
            if (it->first == c)
                return it->second;
        return data.value(rows[pos], c);
    }

    void set(int c, storage::FieldValue v) { pending.emplace_back(c, std::move(v)); }
};

TableCursor Database::openCursor(const std::string& tablePath, std::string_view filter)
{
    m_impl->checkTransaction();
    ++m_impl->epoch;
    TableEntry& e = m_impl->entryFor(tablePath);
    try {
        m_impl->acquire(e.id);
    } catch (const Error& ex) {
        m_impl->releaseIdle();
        throw Error("Tabela \"" + tablePath + "\" nu poate fi deschisa: " + ex.what());
    }
    auto impl = std::make_unique<TableCursor::Impl>();
    impl->db = m_impl.get();
    impl->entry = &e;
    impl->data = e.data;
    const auto& cols = impl->data.columns();
    std::shared_ptr<const sql::RowFilter> f;
    if (std::string(filter).find_first_not_of(" \t") != std::string::npos) {
        try {
            f = sql::RowFilter::parse(filter, [&](std::string_view n) { return e.handle->columnIndex(n); });
        } catch (...) {
            m_impl->releaseIdle();
            throw;
        }
    }
    const std::size_t n = impl->data.rowCount();
    for (std::size_t r = 0; r < n; ++r) {
        if (f) {
            bool ok = f->matches([&](int c) {
                sql::FilterValue v;
                storage::FieldValue fv = impl->data.value(r, c);
                switch (fv.kind) {
                case storage::FieldValue::Kind::Text: v.kind = sql::FilterValue::Kind::Text; v.text = fv.text; break;
                case storage::FieldValue::Kind::Number: v.kind = sql::FilterValue::Kind::Number; v.number = fv.number; break;
                case storage::FieldValue::Kind::Date:
                    v.kind = sql::FilterValue::Kind::Date;
                    v.number = static_cast<double>(fv.date.dayNumber());
                    break;
                case storage::FieldValue::Kind::Logical:
                    v.kind = sql::FilterValue::Kind::Text;
                    v.text = fv.logical ? "T" : "F";
                    break;
                default: break;
                }
                (void)cols;
                return v;
            });
            if (!ok)
                continue;
        }
        impl->rows.push_back(r);
    }
    ++e.cursorRefs;
    return TableCursor(std::move(impl));
}

TableCursor::TableCursor(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
TableCursor::TableCursor(TableCursor&&) noexcept = default;
TableCursor::~TableCursor()
{
    if (m_impl) {
        --m_impl->entry->cursorRefs;
        m_impl->db->releaseIdle();
    }
}

bool TableCursor::eof() const { return m_impl->pos >= m_impl->rows.size(); }
void TableCursor::next()
{
    if (m_impl->pos < m_impl->rows.size())
        ++m_impl->pos;
    m_impl->pending.clear();
    m_impl->posted.clear();
}

bool TableCursor::isNull(std::string_view column) const { return m_impl->value(m_impl->column(column)).isNull(); }

std::string TableCursor::text(std::string_view column) const
{
    const int c = m_impl->column(column);
    storage::FieldValue v = m_impl->value(c);
    switch (v.kind) {
    case storage::FieldValue::Kind::Text: return v.text;
    case storage::FieldValue::Kind::Number:
        return sql::formatNumber(v.number, m_impl->data.columns()[c].decimals);
    case storage::FieldValue::Kind::Date: return v.date.toText();
    case storage::FieldValue::Kind::Logical: return v.logical ? "True" : "False";
    default: return {};
    }
}

double TableCursor::number(std::string_view column) const
{
    storage::FieldValue v = m_impl->value(m_impl->column(column));
    if (v.kind == storage::FieldValue::Kind::Number)
        return v.number;
    if (v.kind == storage::FieldValue::Kind::Text)
        return std::strtod(v.text.c_str(), nullptr);
    return 0;
}

long long TableCursor::integer(std::string_view column) const { return std::llround(number(column)); }

std::optional<Date> TableCursor::date(std::string_view column) const
{
    storage::FieldValue v = m_impl->value(m_impl->column(column));
    if (v.kind == storage::FieldValue::Kind::Date && v.date.isValid())
        return v.date;
    return std::nullopt;
}

void TableCursor::setText(std::string_view column, std::string_view value)
{
    const int c = m_impl->column(column);
    if (std::string(value).find_first_not_of(' ') == std::string::npos)
        m_impl->set(c, storage::FieldValue::null());
    else
        m_impl->set(c, storage::FieldValue::ofText(std::string(value)));
}
void TableCursor::setNumber(std::string_view column, double value)
{
    m_impl->set(m_impl->column(column), storage::FieldValue::ofNumber(value));
}
void TableCursor::setDate(std::string_view column, const Date& value)
{
    m_impl->set(m_impl->column(column), value.isValid() ? storage::FieldValue::ofDate(value) : storage::FieldValue::null());
}
void TableCursor::setNull(std::string_view column) { m_impl->set(m_impl->column(column), storage::FieldValue::null()); }

void TableCursor::post()
{
    Impl& c = *m_impl;
    if (c.pending.empty())
        return;
    if (c.pos >= c.rows.size())
        throw Error("Cursorul tabelei \"" + c.entry->path + "\" este dupa ultimul rand");
    c.db->checkTransaction();
    TableEntry& e = *c.entry;
    c.db->beginTransactionBatch(e);
    const std::uint32_t record = c.data.recordNumber(c.rows[c.pos]);
    e.handle->update(record, c.pending);
    // The cursor keeps its own snapshot. Inside a transaction the record
    // goes into the table's cache; alone, the post was a commit of its own
    // and the next statement reads the table again.
    if (e.transactionBatch && e.dataValid) {
        std::vector<bool> columns(e.handle->columns().size());
        for (const auto& p : c.pending)
            columns[static_cast<std::size_t>(p.first)] = true;
        sql::noteWrittenRecords(e, {record}, columns);
    } else {
        e.invalidate();
    }
    for (auto& p : c.pending)
        c.posted.push_back(std::move(p));
    c.pending.clear();
}

} // namespace engine
