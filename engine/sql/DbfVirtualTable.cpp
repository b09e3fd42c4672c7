// The SQLite virtual-table module "hestavo_dbf": one virtual table per dBase
// table file, so that SQLite runs every statement of the dialect over the
// files themselves.
//
// Usage: CREATE VIRTUAL TABLE temp.<name> USING hestavo_dbf(<id>)
//   <id>  the number of the table's entry in the engine context (TableHost),
//         which knows the file's path, its open handle and its cached rows.
//
// Columns: one per field, in file order; C fields as TEXT in the Romanian
// text order (TextCollation.h: trailing blanks ignored, equal only when the
// bytes are equal),
// N/F/I fields as numbers (integers when they have no decimals), D fields as
// "yyyy-MM-dd" text, L fields as 0/1. Blank fields read as NULL.
// The rowid is the record number in the file (0-based).
// Equality constraints on a column are answered through a hash index built on
// demand; writes go to the storage layer inside a batch per statement.
#include "engine/sql/DbfVirtualTable.h"

#include "engine/Value.h"
#include "engine/sql/TableHost.h"
#include "engine/sql/TextCollation.h"
#include "engine/sql/Translator.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace engine::sql {

namespace {

struct DbfVtab {
    sqlite3_vtab base;   // must come first: SQLite sees only this part
    TableHost* host;
    int id;
};

struct DbfCursor {
    sqlite3_vtab_cursor base;
    storage::TableData data;                  // snapshot the cursor walks
    const std::vector<std::uint32_t>* subset = nullptr; // rows of an index lookup
    std::vector<std::uint32_t> single;        // row of a rowid lookup
    std::size_t pos = 0;
    std::size_t count = 0;
    std::vector<char> types;                  // the type of every column
    std::string scratch;                      // a converted text field
};

std::string numberKey(double v)
{
    if (v == 0)
        v = 0; // one key for -0 and 0
    std::string k(sizeof v, '\0');
    std::memcpy(k.data(), &v, sizeof v);
    return k;
}

// The column types that hold numbers, as text ('N', 'F') or binary, as one
// kind 'N' for the switches below; other types stay as they are.
char valueKind(char type)
{
    storage::Column column;
    column.type = type;
    switch (column.columnType()) {
    case ColumnType::Numeric: case ColumnType::Float: case ColumnType::Integer: return 'N';
    default: return type;
    }
}

void setError(sqlite3_vtab* vt, const std::string& msg)
{
    sqlite3_free(vt->zErrMsg);
    vt->zErrMsg = sqlite3_mprintf("%s", msg.c_str());
}

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// xCreate / xConnect: declares the columns of the file.
int dbfConnect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out, char** err)
{
    if (argc < 4) {
        *err = sqlite3_mprintf("hestavo_dbf: lipseste numarul tabelei");
        return SQLITE_ERROR;
    }
    auto* host = static_cast<TableHost*>(aux);
    const int id = std::atoi(argv[3]);
    try {
        TableEntry& e = host->acquire(id);
        int rc = sqlite3_declare_vtab(db, virtualTableSchema(e.handle->columns()).c_str());
        if (rc != SQLITE_OK) {
            *err = sqlite3_mprintf("hestavo_dbf: %s", sqlite3_errmsg(db));
            return rc;
        }
    } catch (const std::exception& ex) {
        *err = sqlite3_mprintf("%s", ex.what());
        return SQLITE_ERROR;
    }
    auto* vt = new DbfVtab{};
    vt->host = host;
    vt->id = id;
    *out = &vt->base;
    return SQLITE_OK;
}

// xBestIndex: a rowid equality reads one record, a column equality one bucket
// of the column's hash index (the one with the smallest buckets when several
// columns are constrained); anything else is a full scan. The hash indexes
// of constrained columns are built here, so that the planner knows how many
// rows a lookup gives (LUNACRT=n selects thousands, NRCRT=k one).
int dbfBestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    double rows = 1000;
    int best = -1;
    int bestColumn = -2;
    double bestRows = 0;
    try {
        TableEntry& e = vt->host->acquire(vt->id);
        rows = static_cast<double>(e.data.rowCount()) + 1;
        const auto& cols = e.data.columns();
        for (int i = 0; i < info->nConstraint; ++i) {
            const auto& c = info->aConstraint[i];
            if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ)
                continue;
            if (c.iColumn == -1) {
                best = i;
                bestColumn = -1;
                bestRows = 1;
                break;
            }
            if (cols[c.iColumn].type == 'L')
                continue;
            const HashIndex& index = indexOf(e, c.iColumn);
            const double perKey = index.empty() ? 1 : std::max(1.0, (rows - 1) / static_cast<double>(index.size()));
            if (best < 0 || perKey < bestRows) {
                best = i;
                bestColumn = c.iColumn;
                bestRows = perKey;
            }
        }
    } catch (const std::exception& ex) {
        setError(vtab, ex.what());
        return SQLITE_ERROR;
    }
    if (best < 0) {
        info->idxNum = -2;
        info->estimatedCost = rows;
        info->estimatedRows = static_cast<sqlite3_int64>(rows);
        return SQLITE_OK;
    }
    info->idxNum = bestColumn;
    info->aConstraintUsage[best].argvIndex = 1;
    info->aConstraintUsage[best].omit = 0; // SQLite checks again: same rule for every type
    info->estimatedCost = 1 + bestRows;
    info->estimatedRows = static_cast<sqlite3_int64>(std::ceil(bestRows));
    return SQLITE_OK;
}

// xDisconnect / xDestroy: nothing is stored besides the file itself.
int dbfDisconnect(sqlite3_vtab* vtab)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    sqlite3_free(vt->base.zErrMsg);
    delete vt;
    return SQLITE_OK;
}

// xOpen: a cursor over the rows as they are now (the file is checked for
// changes by other processes when the entry is acquired).
int dbfOpen(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    auto* cur = new DbfCursor{};
    try {
        TableEntry& e = vt->host->acquire(vt->id);
        cur->data = e.data;
        for (const storage::Column& column : cur->data.columns())
            cur->types.push_back(column.type);
    } catch (const std::exception& ex) {
        delete cur;
        setError(vtab, ex.what());
        return SQLITE_ERROR;
    }
    *out = &cur->base;
    return SQLITE_OK;
}

// xClose
int dbfClose(sqlite3_vtab_cursor* c)
{
    delete reinterpret_cast<DbfCursor*>(c);
    return SQLITE_OK;
}

// Canonical key of a constraint value for a column of the given type; false
// when no stored value can equal it.
bool keyOfValue(sqlite3_value* v, char type, std::string& key)
{
    const int vt = sqlite3_value_type(v);
    if (vt == SQLITE_NULL)
        return false;
    switch (valueKind(type)) {
    case 'N': {
        if (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT) {
            key = numberKey(sqlite3_value_double(v));
            return true;
        }
        const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        char* end = nullptr;
        double d = std::strtod(t, &end);
        while (end && *end == ' ')
            ++end;
        if (end == t || *end != '\0')
            return false;
        key = numberKey(d);
        return true;
    }
    case 'D': {
        const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        Date d = parseAnyDate(t ? t : "");
        if (!d.isValid())
            return false;
        key = isoDate(d);
        return true;
    }
    default: {
        const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        key = rtrim(t ? t : "");
        return true;
    }
    }
}

// xFilter: starts a scan, a rowid lookup (idxNum -1) or an index lookup on
// column idxNum.
int dbfFilter(sqlite3_vtab_cursor* c, int idxNum, const char*, int argc, sqlite3_value** argv)
{
    auto* cur = reinterpret_cast<DbfCursor*>(c);
    auto* vt = reinterpret_cast<DbfVtab*>(c->pVtab);
    cur->pos = 0;
    cur->subset = nullptr;
    try {
        TableEntry& e = vt->host->acquire(vt->id);
        cur->data = e.data;
        if (idxNum == -2 || argc < 1) {
            cur->count = cur->data.rowCount();
            return SQLITE_OK;
        }
        if (idxNum == -1) {
            cur->single.clear();
            const sqlite3_int64 rec = sqlite3_value_int64(argv[0]);
            if (sqlite3_value_type(argv[0]) != SQLITE_NULL && rec >= 0 && rec <= 0xFFFFFFFFLL) {
                std::int32_t row = rowOfRecord(e, static_cast<std::uint32_t>(rec));
                if (row >= 0)
                    cur->single.push_back(static_cast<std::uint32_t>(row));
            }
            cur->subset = &cur->single;
            cur->count = cur->single.size();
            return SQLITE_OK;
        }
        std::string key;
        static const std::vector<std::uint32_t> none;
        if (!keyOfValue(argv[0], cur->types[idxNum], key)) {
            cur->subset = &none;
            cur->count = 0;
            return SQLITE_OK;
        }
        const HashIndex& index = indexOf(e, idxNum);
        auto it = index.find(key);
        cur->subset = it == index.end() ? &none : &it->second;
        cur->count = cur->subset->size();
    } catch (const std::exception& ex) {
        setError(c->pVtab, ex.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

// xNext
int dbfNext(sqlite3_vtab_cursor* c)
{
    ++reinterpret_cast<DbfCursor*>(c)->pos;
    return SQLITE_OK;
}

// xEof
int dbfEof(sqlite3_vtab_cursor* c)
{
    auto* cur = reinterpret_cast<DbfCursor*>(c);
    return cur->pos >= cur->count;
}

std::size_t currentRow(const DbfCursor* cur)
{
    return cur->subset ? (*cur->subset)[cur->pos] : cur->pos;
}

// xColumn: one field of the current row, decoded from the record's bytes.
int columnValue(sqlite3_vtab_cursor* c, sqlite3_context* ctx, int col)
{
    auto* cur = reinterpret_cast<DbfCursor*>(c);
    if (sqlite3_vtab_nochange(ctx))
        return SQLITE_OK; // an UPDATE that leaves this column as it is
    const std::size_t row = currentRow(cur);
    const char type = cur->types[col];
    switch (valueKind(type)) {
    case 'N': {
        auto n = cur->data.number(row, col);
        if (!n) {
            sqlite3_result_null(ctx);
        } else if (cur->data.columns()[col].decimals == 0 && std::fabs(*n) < 9e15 && *n == std::floor(*n)) {
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(*n));
        } else {
            sqlite3_result_double(ctx, *n);
        }
        break;
    }
    case 'D': {
        auto d = cur->data.date(row, col);
        if (!d || !d->isValid()) {
            sqlite3_result_null(ctx);
        } else {
            std::string iso = isoDate(*d);
            sqlite3_result_text(ctx, iso.c_str(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
        }
        break;
    }
    case 'L': {
        storage::FieldValue v = cur->data.value(row, col);
        if (v.isNull())
            sqlite3_result_null(ctx);
        else
            sqlite3_result_int(ctx, v.logical ? 1 : 0);
        break;
    }
    default: {
        const std::string_view t = cur->data.textView(row, col, cur->scratch);
        if (t.empty())
            sqlite3_result_null(ctx);
        else
            sqlite3_result_text(ctx, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    }
    return SQLITE_OK;
}

// No exception may cross SQLite's frames: it would leave the statement
// unfinished and its memory lost.
int dbfColumn(sqlite3_vtab_cursor* c, sqlite3_context* ctx, int col)
{
    try {
        return columnValue(c, ctx, col);
    } catch (const std::exception& ex) {
        sqlite3_result_error(ctx, ex.what(), -1);
        return SQLITE_ERROR;
    }
}

// xRowid: the record number in the file.
int dbfRowid(sqlite3_vtab_cursor* c, sqlite3_int64* rowid)
{
    auto* cur = reinterpret_cast<DbfCursor*>(c);
    *rowid = cur->data.recordNumber(currentRow(cur));
    return SQLITE_OK;
}

// A value given by SQLite, as the storage layer takes it for this column.
storage::FieldValue toField(sqlite3_value* v, const storage::Column& col, const std::string& path)
{
    const int vt = sqlite3_value_type(v);
    if (vt == SQLITE_NULL)
        return storage::FieldValue::null();
    const auto textOf = [&] {
        const char* t = reinterpret_cast<const char*>(sqlite3_value_text(v));
        return std::string(t ? t : "");
    };
    switch (col.type) {
    case 'C': case 'M': {
        if (vt == SQLITE_INTEGER)
            return storage::FieldValue::ofText(std::to_string(sqlite3_value_int64(v)));
        if (vt == SQLITE_FLOAT)
            return storage::FieldValue::ofText(formatNumber(sqlite3_value_double(v)));
        std::string t = textOf();
        return t.empty() ? storage::FieldValue::null() : storage::FieldValue::ofText(t);
    }
    case 'D': {
        if (vt != SQLITE_TEXT)
            throw Error("Valoare invalida pentru coloana de tip data " + col.name + " a tabelei \"" + path + "\"");
        std::string t = textOf();
        if (t.find_first_not_of(' ') == std::string::npos)
            return storage::FieldValue::null();
        Date d = parseAnyDate(t);
        if (!d.isValid())
            throw Error("Data invalida \"" + t + "\" pentru coloana " + col.name + " a tabelei \"" + path + "\"");
        return storage::FieldValue::ofDate(d);
    }
    case 'L':
        if (vt == SQLITE_TEXT) {
            std::string t = textOf();
            if (t.empty())
                return storage::FieldValue::null();
            return storage::FieldValue::ofLogical(t == "T" || t == "t" || t == "Y" || t == "y" || t == "X" || t == "1");
        }
        return storage::FieldValue::ofLogical(sqlite3_value_double(v) != 0);
    default: {
        if (vt == SQLITE_INTEGER || vt == SQLITE_FLOAT)
            return storage::FieldValue::ofNumber(sqlite3_value_double(v));
        std::string t = textOf();
        if (t.find_first_not_of(' ') == std::string::npos)
            return storage::FieldValue::null();
        char* end = nullptr;
        double d = std::strtod(t.c_str(), &end);
        while (end && *end == ' ')
            ++end;
        if (end == t.c_str() || *end != '\0')
            throw Error("Valoare numerica invalida \"" + t + "\" pentru coloana " + col.name + " a tabelei \"" + path
                        + "\"");
        return storage::FieldValue::ofNumber(d);
    }
    }
}

// xUpdate: DELETE (argc 1), INSERT (argv[0] NULL) or UPDATE of one row,
// written through the storage layer, which cuts text, rounds numbers and
// refuses numbers too wide for the column.
int dbfUpdate(sqlite3_vtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* rowid)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    try {
        TableEntry& e = vt->host->acquire(vt->id);
        storage::DbfTable& t = *e.handle;
        const auto& cols = t.columns();
        if (argc == 1) {
            t.remove(static_cast<std::uint32_t>(sqlite3_value_int64(argv[0])));
            e.structuralWrite = true;
        } else if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            e.structuralWrite = true;
            std::vector<storage::FieldValue> values;
            values.reserve(cols.size());
            for (size_t i = 0; i < cols.size(); ++i)
                values.push_back(toField(argv[2 + i], cols[i], t.path()));
            *rowid = t.append(values);
        } else {
            const auto rec = static_cast<std::uint32_t>(sqlite3_value_int64(argv[0]));
            if (sqlite3_value_type(argv[1]) != SQLITE_NULL && sqlite3_value_int64(argv[1]) != rec)
                throw Error("Numarul inregistrarii nu poate fi schimbat in tabela \"" + t.path() + "\"");
            std::vector<std::pair<int, storage::FieldValue>> changes;
            for (size_t i = 0; i < cols.size(); ++i) {
                if (sqlite3_value_nochange(argv[2 + i]))
                    continue;
                changes.emplace_back(static_cast<int>(i), toField(argv[2 + i], cols[i], t.path()));
            }
            if (!changes.empty()) {
                t.update(rec, changes);
                e.updatedRecords.push_back(rec);
                e.changedColumns.resize(cols.size());
                for (const auto& ch : changes)
                    e.changedColumns[ch.first] = true;
            }
        }
        // The cached rows are brought up to date when the statement commits;
        // SQLite has read every row it needs before the first change.
    } catch (const std::exception& ex) {
        setError(vtab, ex.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

// xBegin: a write statement starts on this table.
int dbfBegin(sqlite3_vtab* vtab)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    try {
        vt->host->beginWrite(vt->host->acquire(vt->id));
    } catch (const std::exception& ex) {
        setError(vtab, ex.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

// xSync: nothing; the batch is written at xCommit.
int dbfSync(sqlite3_vtab*) { return SQLITE_OK; }

// xCommit: the statement's changes go to the file (or stay in the enclosing
// transaction's batch).
int dbfCommit(sqlite3_vtab* vtab)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    try {
        vt->host->commitWrite(vt->host->acquire(vt->id));
    } catch (const std::exception& ex) {
        setError(vtab, ex.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

// xRollback: the statement failed; nothing of it is written.
int dbfRollback(sqlite3_vtab* vtab)
{
    auto* vt = reinterpret_cast<DbfVtab*>(vtab);
    try {
        vt->host->rollbackWrite(vt->host->acquire(vt->id));
    } catch (const std::exception& ex) {
        setError(vtab, ex.what());
        return SQLITE_ERROR;
    }
    return SQLITE_OK;
}

sqlite3_module makeModule()
{
    sqlite3_module m{};
    m.iVersion = 1;
    m.xCreate = dbfConnect;       // same as connecting: the file already exists
    m.xConnect = dbfConnect;      // declares the columns of the file
    m.xBestIndex = dbfBestIndex;  // rowid / column equality lookups
    m.xDisconnect = dbfDisconnect;
    m.xDestroy = dbfDisconnect;   // dropping the virtual table leaves the file alone
    m.xOpen = dbfOpen;            // cursor over a snapshot of the rows
    m.xClose = dbfClose;
    m.xFilter = dbfFilter;        // scan or lookup
    m.xNext = dbfNext;
    m.xEof = dbfEof;
    m.xColumn = dbfColumn;        // decodes one field
    m.xRowid = dbfRowid;          // record number
    m.xUpdate = dbfUpdate;        // INSERT / UPDATE / DELETE through the storage layer
    m.xBegin = dbfBegin;          // opens the statement's batch
    m.xSync = dbfSync;
    m.xCommit = dbfCommit;        // writes the batch
    m.xRollback = dbfRollback;    // drops the batch
    m.xFindFunction = nullptr;    // no overloaded functions
    m.xRename = nullptr;          // renaming is not supported
    return m;
}

const sqlite3_module g_module = makeModule();

} // namespace

std::string virtualTableSchema(const std::vector<storage::Column>& columns)
{
    std::string sql = "CREATE TABLE x(";
    for (size_t i = 0; i < columns.size(); ++i) {
        const auto& c = columns[i];
        std::string name = "\"";
        for (char ch : c.name) {
            if (ch == '"')
                name += '"';
            name += ch;
        }
        name += "\"";
        sql += (i ? ", " : "") + name;
        switch (valueKind(c.type)) {
        case 'N': sql += " NUMERIC"; break;
        case 'D': sql += " TEXT"; break;
        case 'L': sql += " INTEGER"; break;
        default: sql += std::string(" TEXT COLLATE ") + kTextCollation; break;
        }
    }
    return sql + ")";
}

void noteWrittenRecords(TableEntry& entry, const std::vector<std::uint32_t>& records,
                        const std::vector<bool>& changedColumns)
{
    for (std::uint32_t record : records)
        entry.written[record] = entry.handle->recordBytes(record);
    if (entry.writtenColumns.size() < changedColumns.size())
        entry.writtenColumns.resize(changedColumns.size());
    for (std::size_t c = 0; c < changedColumns.size(); ++c)
        if (changedColumns[c])
            entry.writtenColumns[c] = true;
}

void applyWrittenRecords(TableEntry& entry)
{
    if (entry.written.empty())
        return;
    const std::size_t rows = entry.data.rowCount();
    entry.data = std::move(entry.data).withRecords(entry.written);
    if (entry.data.rowCount() != rows) {
        entry.indexes.clear();
        entry.rowOfRecord.clear();
    } else {
        for (std::size_t c = 0; c < entry.writtenColumns.size() && c < entry.indexes.size(); ++c)
            if (entry.writtenColumns[c])
                entry.indexes[c].reset();
    }
    entry.written.clear();
    entry.writtenColumns.clear();
}

std::string indexKeyOfRow(const storage::TableData& data, std::size_t row, int column, char type)
{
    switch (valueKind(type)) {
    case 'N': {
        auto n = data.number(row, column);
        return n ? numberKey(*n) : std::string();
    }
    case 'D': {
        auto d = data.date(row, column);
        return d && d->isValid() ? isoDate(*d) : std::string();
    }
    default:
        return data.text(row, column);
    }
}

const HashIndex& indexOf(TableEntry& entry, int column)
{
    if (entry.indexes.size() <= static_cast<size_t>(column))
        entry.indexes.resize(column + 1);
    if (!entry.indexes[column]) {
        auto index = std::make_unique<HashIndex>();
        const char type = entry.data.columns()[column].type;
        const std::size_t n = entry.data.rowCount();
        index->reserve(n);
        for (std::size_t r = 0; r < n; ++r) {
            if (entry.data.isNull(r, column))
                continue; // NULL never equals anything
            (*index)[indexKeyOfRow(entry.data, r, column, type)].push_back(static_cast<std::uint32_t>(r));
        }
        entry.indexes[column] = std::move(index);
    }
    return *entry.indexes[column];
}

std::int32_t rowOfRecord(TableEntry& entry, std::uint32_t record)
{
    if (entry.rowOfRecord.empty()) {
        std::uint32_t maxRec = 0;
        const std::size_t n = entry.data.rowCount();
        for (std::size_t r = 0; r < n; ++r)
            maxRec = std::max(maxRec, entry.data.recordNumber(r) + 1);
        entry.rowOfRecord.assign(maxRec + 1, -1);
        for (std::size_t r = 0; r < n; ++r)
            entry.rowOfRecord[entry.data.recordNumber(r)] = static_cast<std::int32_t>(r);
    }
    return record < entry.rowOfRecord.size() ? entry.rowOfRecord[record] : -1;
}

void registerDbfModule(sqlite3* db, TableHost* host)
{
    sqlite3_create_module_v2(db, "hestavo_dbf", &g_module, host, nullptr);
}

} // namespace engine::sql
