// What the virtual-table module needs from the engine context: the table
// files in use, each with its open handle, its decoded rows (cached while the
// file does not change) and hash indexes over columns built on demand.
#pragma once

#include "engine/storage/DbfTable.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine::sql {

// Rows of one column value: the key is the value in a canonical form (text
// without trailing blanks, the 8 bytes of a number, or "yyyy-MM-dd").
using HashIndex = std::unordered_map<std::string, std::vector<std::uint32_t>>;

struct TableEntry {
    int id = 0;
    std::string path;                          // as resolved on disk
    std::optional<storage::DbfTable> handle;   // open while statements, cursors or a transaction use it
    storage::TableData data;                   // live rows, valid when dataValid
    bool dataValid = false;
    storage::FileIdentity identity;            // of the file when data was read
    std::vector<std::unique_ptr<HashIndex>> indexes; // per column
    std::vector<std::int32_t> rowOfRecord;     // record number -> row, built on demand
    // Records this process wrote since the data was read (record -> its bytes
    // as stored) and the columns they changed: put into the data when it is
    // next used, so that writing a few rows leaves the rest of the cache (and
    // the hash indexes of the other columns) in place instead of reading the
    // whole file again.
    std::map<std::uint32_t, std::string> written;
    std::vector<bool> writtenColumns;

    // What the write statement in progress did.
    std::vector<std::uint32_t> updatedRecords;
    std::vector<bool> changedColumns;
    bool structuralWrite = false;              // appended or removed records
    bool cleanAtBegin = false;                 // no other process changed the file since it was read
    std::string sqlName;                       // virtual table name ("" until declared)
    std::vector<storage::Column> declared;     // columns the virtual table was declared with
    int cursorRefs = 0;                        // open TableCursors
    bool transactionBatch = false;             // an outer batch of Database::beginTransaction is open

    void invalidate()
    {
        dataValid = false;
        indexes.clear();
        rowOfRecord.clear();
        written.clear();
        writtenColumns.clear();
        resetWrite();
    }
    void resetWrite()
    {
        updatedRecords.clear();
        changedColumns.clear();
        structuralWrite = false;
        cleanAtBegin = false;
    }
};

class TableHost {
public:
    virtual ~TableHost() = default;
    // The entry with an open handle and rows that match the file now.
    virtual TableEntry& acquire(int id) = 0;
    // A write statement starts, ends well, or fails on the table.
    virtual void beginWrite(TableEntry& entry) = 0;
    virtual void commitWrite(TableEntry& entry) = 0;
    virtual void rollbackWrite(TableEntry& entry) = 0;
};

// Key of a stored value for the hash index of a column.
std::string indexKeyOfRow(const storage::TableData& data, std::size_t row, int column, char type);
// Records written by this process (in place: no append, no removal) and the
// columns changed: noted in the entry, their bytes taken from the handle
// (call it while the batch still holds them).
void noteWrittenRecords(TableEntry& entry, const std::vector<std::uint32_t>& records,
                        const std::vector<bool>& changedColumns);
// Puts the noted records into the entry's data and drops the hash indexes
// of the columns they changed.
void applyWrittenRecords(TableEntry& entry);
const HashIndex& indexOf(TableEntry& entry, int column);
std::int32_t rowOfRecord(TableEntry& entry, std::uint32_t record);

} // namespace engine::sql
