// Fuzz entry point of the table-file reader: any bytes as a .dbf file must
// open, read, decode, take an append and pack, or fail with engine::Error;
// never crash or read out of bounds. Built and run by run-dbf-fuzz.sh (clang
// with libFuzzer); not part of the test suite.
#include "engine/storage/DbfTable.h"
#include "engine/storage/FileHandle.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <unistd.h>

using namespace engine::storage;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        setFlushToDisk(false);
        return (std::filesystem::temp_directory_path() / ("hv-fuzz-" + std::to_string(getpid()) + ".dbf")).string();
    }();
    {
        FileHandle out(path, FileHandle::Mode::CreateNew);
        out.writeAt(0, reinterpret_cast<const char*>(data), size);
    }
    try {
        DbfTable table = DbfTable::open(path);
        const TableData rows = table.readAll();
        for (std::size_t r = 0; r < rows.rowCount(); ++r) {
            for (int c = 0; c < static_cast<int>(rows.columns().size()); ++c) {
                rows.value(r, c);
                rows.text(r, c);
                rows.isNull(r, c);
            }
        }
        if (table.recordCount() > 0)
            table.read(0);
        table.append({});
        table.pack();
    } catch (const engine::Error&) {
    }
    std::remove((path + "-journal").c_str());
    return 0;
}
