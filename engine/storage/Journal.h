// The rollback journal of a table: "<table file>-journal" beside it holds the
// table's size and the original bytes of every range a commit is about to
// overwrite. It is written and flushed before the table is touched and
// deleted once the table is flushed; a journal found later means a commit
// was cut short, and replaying it puts the table back as it was.
//
// Layout (little-endian): "HVJRNL01", u64 original size, u32 entry count,
// entries (u64 offset, u32 length, bytes), u32 FNV-1a checksum of everything
// before it, "HVJEND01". A journal without a valid end was itself cut short
// before the table was touched, and is simply deleted.
// Internal to the storage layer.
#pragma once

#include "engine/storage/FileHandle.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine::storage {

struct JournalEntry {
    std::uint64_t offset = 0;
    std::string original;
};

std::string journalPathFor(const std::string& tablePath);

// Writes and flushes the journal (and its directory entry).
void writeJournal(const std::string& journalPath, std::uint64_t originalSize,
                  const std::vector<JournalEntry>& entries);

// Replays a journal into the table if it is complete, then deletes it.
// Returns true when the table was rolled back. Throws when the table cannot
// be written.
bool replayJournal(FileHandle& table, const std::string& journalPath);

void removeJournal(const std::string& journalPath);

// Test seam: called with a point name at each step of a commit
// ("journal-written", "table-partly-written"), so a test can end the process
// there and check the recovery. Null in normal use.
extern void (*commitStepHook)(const char* point);

} // namespace engine::storage
