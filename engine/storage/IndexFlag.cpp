#include "engine/storage/IndexFlag.h"

#include "engine/storage/FileHandle.h"

#include <filesystem>
#include <fstream>

namespace engine::storage {

void clearProductionIndexFlag(const std::string& dbfPath)
{
    namespace fs = std::filesystem;
    std::fstream file(fsPath(dbfPath), std::ios::in | std::ios::out | std::ios::binary);
    if (!file)
        return;
    file.seekp(0, std::ios::end);
    if (file.tellp() < 32)
        return; // not a table file: leave it alone
    file.seekp(28);
    file.put('\0');
    file.close();

    std::error_code ec;
    fs::path mdx = fsPath(dbfPath);
    mdx.replace_extension(".mdx");
    fs::remove(mdx, ec);
    mdx.replace_extension(".MDX");
    fs::remove(mdx, ec);
}

} // namespace engine::storage
