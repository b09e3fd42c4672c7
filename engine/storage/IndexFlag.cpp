#include "engine/storage/IndexFlag.h"

#include "engine/storage/FileHandle.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

namespace engine::storage {

namespace {

std::string lowered(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Deletes every file of the table's folder named "<stem>.mdx" in any letter
// case ("Cereri.MDX", "CERERI.mdx"), as tables copied from a case-insensitive
// file system carry them.
void removeIndexFiles(const std::filesystem::path& table)
{
    namespace fs = std::filesystem;
    const std::string wanted = lowered(utf8Path(table.stem()) + ".mdx");
    std::error_code ec;
    const fs::path folder = table.has_parent_path() ? table.parent_path() : fs::path(".");
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (lowered(utf8Path(it->path().filename())) == wanted)
            found.push_back(it->path());
    }
    for (const fs::path& index : found)
        fs::remove(index, ec);
}

} // namespace

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

    removeIndexFiles(fsPath(dbfPath));
}

} // namespace engine::storage
