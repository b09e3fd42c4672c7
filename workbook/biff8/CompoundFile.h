// Reader and writer of OLE2 compound files (version 3 and 4 read, version 3
// written), the container of .xls workbooks. The directory tree is kept as it
// was read, so every storage and stream the program does not change is written
// back byte for byte; only stream contents and the sector layout are new.
// Reading raises FormatError on any structural fault (bad signature, sector
// numbers outside the file, loops in a chain, sizes that the chain cannot hold).
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace workbook::biff8 {

class CompoundFile {
public:
    enum : uint8_t { Empty = 0, Storage = 1, Stream = 2, Root = 5 };
    static constexpr uint32_t NoStream = 0xFFFFFFFF;

    struct Entry {
        QString name;
        uint8_t type = Empty;
        uint8_t color = 1;
        uint32_t left = NoStream, right = NoStream, child = NoStream;
        QByteArray clsid;   // 16 bytes
        uint32_t state = 0;
        QByteArray times;   // 16 bytes
        QByteArray data;    // contents of a stream
    };

    static CompoundFile parse(const QByteArray& file);
    QByteArray serialize() const;

    // Index of the stream or storage directly under the root whose name
    // matches ignoring case, or -1.
    int findTopLevel(const QString& name) const;
    // Directory indexes of the entries directly under a storage.
    std::vector<int> children(int storage) const;

    std::vector<Entry>& entries() { return m_entries; }
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace workbook::biff8
