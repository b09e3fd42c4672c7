// The zip package of an .xlsx file, read whole into memory and written back
// with libzip (deflate, no Zip64, entries in their original order).
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace workbook::xlsx {

class Package {
public:
    // The most one part, and all parts together, may hold unpacked: a
    // template or an annex is a few hundred KB, a large register list a few
    // MB; a package stating more is refused before anything is read.
    static constexpr unsigned long long kPartLimit = 64ull << 20;
    static constexpr unsigned long long kPackageLimit = 256ull << 20;

    // Raises FormatError when the file is not a readable zip archive or
    // exceeds the limits above.
    void read(const QString& path);
    // Writes to a temporary file beside path, then renames it over path;
    // level is the deflate level (1 fastest .. 9 smallest).
    void write(const QString& path, int level = 6) const;

    bool contains(const QString& name) const { return m_parts.contains(name); }
    QByteArray part(const QString& name) const { return m_parts.value(name); }
    void setPart(const QString& name, const QByteArray& data);
    void remove(const QString& name);

private:
    QMap<QString, QByteArray> m_parts;
    QStringList m_order;
};

} // namespace workbook::xlsx
