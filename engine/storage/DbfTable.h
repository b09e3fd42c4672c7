// One dBase table file (.dbf): its columns, its records read and written, and
// its maintenance (create, pack, restructure). Reads dBase III+/IV (0x03,
// 0x83, 0x8B), dBase 7 (0x04, 0x8C) and FoxPro / Visual FoxPro (0x30, 0x31,
// 0xF5) files; creates new tables at dBase IV level (0x03) with the
// Windows-1250 language driver. Text crosses this interface as UTF-8.
//
// Safety: every change is atomic. Changes of a batch are kept in memory until
// commit; commit writes the original bytes of every range it will overwrite to
// "<file>-journal" beside the table, flushes it, writes the table, flushes it
// and deletes the journal. A journal left by a crash is replayed (the table
// goes back to its state before the batch, or a batch of appends whose record
// count was written is finished) the next time any process takes a lock on
// the table. Tables committed together share a transaction journal, so that
// a crash leaves all of them or none changed (Journal.h). Sharing: byte-range locks in the region that ends at
// offset 0xEFFFFFFE: shared to read, exclusive to write, so no process ever
// sees a torn record. Every open handle also holds a shared "in use" lock;
// pack and restructure take it exclusively and fail while another handle
// (another process, or a second handle in this one) has the table open.
//
// Keep one DbfTable per file per process (a second handle in the same process
// counts as another user). A DbfTable is not thread-safe. Every failure raises
// engine::Error whose message names the file and, where it applies, the column.
#pragma once

#include "engine/Value.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine::storage {

enum class CodePage { Windows1250, Windows1252 };

// A column of a table. On creation only name, type, width and decimals count.
struct Column {
    std::string name;   // as stored (new tables: upper case), at most 10 characters
    char type = 'C';    // 'C', 'N', 'F', 'D', 'L', 'I', 'M'; other foreign types kept
    int width = 0;      // bytes in the record (D: 8, L: 1, I: 4)
    int decimals = 0;
    int offset = 0;     // byte offset inside the record; byte 0 is the deletion flag

    ColumnType columnType() const;
    friend bool operator==(const Column&, const Column&) = default;
};

// A decoded field value. Blank C, N, F, D and L fields (and memo fields, whose
// text is not read) are Null. Text is UTF-8 without trailing blanks.
struct FieldValue {
    enum class Kind : std::uint8_t { Null, Text, Number, Date, Logical };
    Kind kind = Kind::Null;
    std::string text;
    double number = 0;
    Date date;
    bool logical = false;

    static FieldValue null() { return {}; }
    static FieldValue ofText(std::string utf8) { FieldValue v; v.kind = Kind::Text; v.text = std::move(utf8); return v; }
    static FieldValue ofNumber(double n) { FieldValue v; v.kind = Kind::Number; v.number = n; return v; }
    static FieldValue ofDate(const Date& d) { FieldValue v; v.kind = Kind::Date; v.date = d; return v; }
    static FieldValue ofLogical(bool b) { FieldValue v; v.kind = Kind::Logical; v.logical = b; return v; }
    bool isNull() const { return kind == Kind::Null; }
    friend bool operator==(const FieldValue&, const FieldValue&) = default;
};

// What identifies the content of a table file on disk. Two equal identities
// taken at different moments mean the file was not changed in between
// (within the resolution of the file system's modification time;
// `localChanges` counts every commit made through this process, so changes
// made here are always seen).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint32_t recordCount = 0;
    std::uint8_t headerDate[3] = {0, 0, 0};
    std::uint64_t localChanges = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// All live (not deleted) records of a table at one moment, read in one go
// from the file. Fields are decoded on request, so building it costs little
// more than reading the file's bytes. Independent of the DbfTable once
// returned; cheap to copy (shares the bytes).
class TableData {
public:
    TableData();
    const std::vector<Column>& columns() const;
    CodePage codePage() const;
    FileIdentity identity() const;       // of the file when it was read
    std::size_t rowCount() const;        // live records
    std::uint32_t recordNumber(std::size_t row) const; // 0-based record in the file

    bool isNull(std::size_t row, int column) const;
    FieldValue value(std::size_t row, int column) const;
    // Trailing blanks removed; for C fields converted to UTF-8; for N/F the
    // digits as stored without leading blanks; D "yyyyMMdd" as stored.
    std::string text(std::size_t row, int column) const;
    // The same text, a view of the stored bytes when no conversion is needed
    // (valid while this data lives), otherwise held in `scratch`.
    std::string_view textView(std::size_t row, int column, std::string& scratch) const;
    std::optional<double> number(std::size_t row, int column) const; // N, F, I
    std::optional<Date> date(std::size_t row, int column) const;     // D
    std::string_view raw(std::size_t row, int column) const;          // bytes as stored

    // The same rows with some records' bytes replaced (record number ->
    // the whole record as stored, deletion flag first): what this process
    // wrote since the data was read. Changes the bytes in place when no
    // other copy shares them, so keeping a cache up to date costs no re-read.
    TableData withRecords(const std::map<std::uint32_t, std::string>& records) &&;

    struct Impl;
    explicit TableData(std::shared_ptr<const Impl> impl);
private:
    std::shared_ptr<const Impl> m_impl;
};

class DbfTable {
public:
    // Opens a table ("/" or "\" separators; the name and folder entries are
    // matched case-insensitively when the exact path does not exist). Replays
    // a journal left by a crash. Throws when the file is missing, damaged or
    // locked by a restructure in progress.
    static DbfTable open(const std::string& path);

    // Creates a new table (dBase IV, Windows-1250). Types: 'C' (width 1..254),
    // 'N' (width 1..20, decimals < width), 'D', 'L', 'F', 'I'. Throws when the
    // file exists, unless overwrite is true.
    static DbfTable create(const std::string& path, const std::vector<Column>& columns,
                           bool overwrite = false);

    // The path as resolved on disk (case-insensitive match applied).
    static std::string resolvePath(const std::string& path);

    DbfTable(DbfTable&&) noexcept;
    DbfTable& operator=(DbfTable&&) noexcept;
    ~DbfTable(); // rolls back an uncommitted batch

    const std::string& path() const;
    const std::vector<Column>& columns() const;
    int columnIndex(std::string_view name) const; // case-insensitive; -1 when absent
    CodePage codePage() const;
    std::uint8_t version() const;                 // header byte 0

    // Records in the file, deleted ones included (as of the last read or
    // write through this handle, plus pending appends of the batch).
    std::uint32_t recordCount() const;
    // Identity of the file on disk now (one stat and one 8-byte read).
    FileIdentity identity() const;
    // Identity of the file as the last outermost commit through this handle
    // left it, taken before the write lock was let go (another process may
    // have changed the file since; comparing with identity() tells).
    FileIdentity identityAtCommit() const;

    // Every live record in stored order, pending changes of the batch included.
    TableData readAll() const;
    // One record (0-based), deleted or not.
    std::vector<FieldValue> read(std::uint32_t record) const;
    // Its bytes as stored (pending changes of the batch included).
    std::string recordBytes(std::uint32_t record) const;
    bool isDeleted(std::uint32_t record) const;

    // Changes. Values are given in column order (missing trailing values are
    // blank). Storing converts text to the table's code page (a character it
    // cannot hold becomes "?") and cuts it to the width; rounds numbers to
    // the column's decimals, half away from zero; refuses a number that does
    // not fit the width; a Null stores blanks. Text given for N/F/D columns
    // is parsed ("12.5"; "dd.MM.yyyy" or "yyyyMMdd"); bad text is refused.
    // Outside a batch each call commits on its own.
    std::uint32_t append(const std::vector<FieldValue>& values); // returns the record number
    void update(std::uint32_t record, const std::vector<std::pair<int, FieldValue>>& changes);
    void remove(std::uint32_t record);  // marks deleted ("*")

    // Atomic write batch: takes the exclusive write lock (waiting for other
    // writers) and keeps it until commit or rollback; re-reads the record
    // count so appends of other processes are never overwritten. Batches nest:
    // only the outermost commit writes. rollbackBatch() drops the whole batch.
    void beginBatch();
    void commitBatch();
    void rollbackBatch();
    bool inBatch() const;
    // Commits the batches of several tables so that a crash leaves either all
    // or none applied, as each table is next opened or locked.
    static void commitBatches(const std::vector<DbfTable*>& tables);

    // Maintenance: each needs exclusive use of the table ("tabela ... este
    // folosita de alt proces" otherwise) and no open batch. The result is
    // written to a new file beside the table and put in its place atomically.
    void pack();                                         // removes deleted records
    void changeColumnWidth(std::string_view column, int width); // same type, decimals, position
    void addColumns(const std::vector<Column>& columns); // appended at the end, blank
    void dropColumn(std::string_view column);

    struct Impl;
private:
    explicit DbfTable(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

// RAII guard for a batch: commits on commit(), rolls back when destroyed
// without it.
class DbfBatch {
public:
    explicit DbfBatch(DbfTable& table) : m_table(&table) { table.beginBatch(); }
    ~DbfBatch() { if (m_table) { try { m_table->rollbackBatch(); } catch (...) {} } }
    DbfBatch(const DbfBatch&) = delete;
    DbfBatch& operator=(const DbfBatch&) = delete;
    void commit() { DbfTable* t = m_table; m_table = nullptr; t->commitBatch(); }
private:
    DbfTable* m_table;
};

} // namespace engine::storage
