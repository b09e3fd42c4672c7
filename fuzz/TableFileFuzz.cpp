// The table-file reader: any bytes as a .dbf file must open (the header
// checks), read and decode every record, take an append and a pack, and go
// through the SQL path (every column of every row), or fail with
// engine::Error; never crash, read out of bounds or leak.
#include "engine/Database.h"
#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

using namespace engine::storage;

namespace {

std::string scratchTable()
{
    static const std::string path = [] {
        setFlushToDisk(false);
        const auto folder = std::filesystem::temp_directory_path() / ("hestavo-fuzz-table-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        return (folder / "T.dbf").string();
    }();
    return path;
}

void writeTable(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::remove(path.c_str());
    FileHandle out(path, FileHandle::Mode::CreateNew);
    out.writeAt(0, reinterpret_cast<const char*>(data), size);
}

void readDirectly(const std::string& path)
{
    try {
        DbfTable table = DbfTable::open(path);
        const TableData rows = table.readAll();
        for (std::size_t r = 0; r < rows.rowCount(); ++r)
            for (int c = 0; c < static_cast<int>(rows.columns().size()); ++c) {
                rows.value(r, c);
                rows.text(r, c);
                rows.isNull(r, c);
            }
        if (table.recordCount() > 0)
            table.read(0);
        table.append({});
        table.pack();
    } catch (const engine::Error&) {
    }
    std::remove((path + "-journal").c_str());
}

void readThroughSql(const std::string& path)
{
    engine::Database db(std::filesystem::path(path).parent_path().string());
    try {
        auto rs = db.open("SELECT * FROM \"" + path + "\"");
        const auto names = rs->columnNames();
        for (rs->first(); !rs->eof(); rs->next())
            for (const std::string& name : names) {
                rs->text(name);
                rs->isNull(name);
            }
    } catch (const engine::Error&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = scratchTable();
    writeTable(path, data, size);
    readThroughSql(path);
    writeTable(path, data, size);
    readDirectly(path);
    return 0;
}
