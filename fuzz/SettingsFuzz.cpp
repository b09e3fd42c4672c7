// A settings file ("Hestavo.set", "Local.set", "Hestavo.ini": INI bytes
// written by this program, by older ones or by hand): any content must give
// its values, and a value written into it must read back as written while
// every other key keeps its value.
#include "FuzzSupport.h"

#include "data/IniFile.h"

#include <optional>

namespace {

const std::pair<const char*, const char*> kKeys[] = {
    {"SETARI", "JUDET"}, {"SETARI", "LOCALITATE"}, {"INDEX", "NRCRT"}, {"INDEX", "NROM"},
    {"BAREM", "VENIT1"}, {"Salvari", "Folder"},    {"TESTUS", "Test"}, {"", "Cheie"},
};

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray content = fuzz::bytesOf(data, size);
    std::vector<std::optional<QByteArray>> before;
    for (const auto& [section, key] : kKeys)
        before.push_back(ini::lookup(content, QString::fromLatin1(section), QString::fromLatin1(key)));

    for (std::size_t k = 0; k < std::size(kKeys); ++k) {
        const QString section = QString::fromLatin1(kKeys[k].first), key = QString::fromLatin1(kKeys[k].second);
        for (const QByteArray value : {QByteArray("12,50"), QByteArray(), QByteArray(" [X]=Y ")}) {
            const QByteArray after = ini::withValue(content, section, key, value);
            check(ini::lookup(after, section, key) == value);
            for (std::size_t other = 0; other < std::size(kKeys); ++other)
                if (QString::compare(QString::fromLatin1(kKeys[other].first), section, Qt::CaseInsensitive) != 0)
                    check(ini::lookup(after, QString::fromLatin1(kKeys[other].first),
                                      QString::fromLatin1(kKeys[other].second)) == before[other]);
        }
        ini::withoutSection(content, section);
    }
    return 0;
}
