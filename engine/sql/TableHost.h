// What the virtual-table module needs from the engine context: the table
// files in use, each with its open handle, its decoded rows (cached while the
// file does not change) and hash indexes over columns built on demand.
#pragma once

#include "engine/storage/DbfTable.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine::sql {

// Rows of one column value: the key is the value in a canonical form (text
// without trailing blanks, the 8 bytes of a number, or "yyyy-MM-dd").
using HashIndex = std::unordered_map<std::string, std::vector<std::uint32_t>>;

// Rows of the cached data that this process changed since the data was read:
// row -> every field's new value. Lets a statement that updates a few rows
// leave the rest of the cache (and the hash indexes of the columns it did
// not touch) in place instead of reading the whole file again.
using RowOverlay = std::unordered_map<std::uint32_t, std::vector<storage::FieldValue>>;

struct TableEntry {
    int id = 0;
    std::string path;                          // as resolved on disk
    std::optional<storage::DbfTable> handle;   // open while statements, cursors or a transaction use it
    storage::TableData data;                   // live rows, valid when dataValid
    bool dataValid = false;
    storage::FileIdentity identity;            // of the file when data was read
    std::vector<std::unique_ptr<HashIndex>> indexes; // per column
    std::vector<std::int32_t> rowOfRecord;     // record number -> row, built on demand
    std::shared_ptr<RowOverlay> overlay;       // changed rows; null when none

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
        overlay.reset();
        resetWrite();
    }
    void resetWrite()
    {
        updatedRecords.clear();
        changedColumns.clear();
        structuralWrite = false;
        cleanAtBegin = false;
    }
    // The changed row's values, or null when the row is as cached.
    const std::vector<storage::FieldValue>* changedRow(std::size_t row) const
    {
        if (!overlay || overlay->empty())
            return nullptr;
        auto it = overlay->find(static_cast<std::uint32_t>(row));
        return it == overlay->end() ? nullptr : &it->second;
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
std::string indexKeyOfValue(const storage::FieldValue& v, char type);
// After records were updated in place (no append, no removal) and written:
// puts their new values into the overlay and drops the hash indexes of the
// columns that changed. False when the overlay would grow too large (the
// caller then reads the table again).
bool patchUpdatedRecords(TableEntry& entry, const std::vector<std::uint32_t>& records,
                         const std::vector<bool>& changedColumns);
const HashIndex& indexOf(TableEntry& entry, int column);
std::int32_t rowOfRecord(TableEntry& entry, std::uint32_t record);

} // namespace engine::sql
