#include "workbook/xlsx/Package.h"

#include "workbook/WorkbookError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <zip.h>

#include <algorithm>
#include <vector>

namespace workbook::xlsx {

namespace {

// Reads one entry of at most size bytes in pieces, so that memory grows with
// the bytes the entry really holds, not with the size its header states.
bool readEntry(zip_t* z, zip_uint64_t index, zip_uint64_t size, QByteArray& data)
{
    zip_file_t* f = zip_fopen_index(z, index, 0);
    if (!f)
        return false;
    constexpr zip_uint64_t kPiece = 1 << 16;
    bool ok = true;
    while (ok && zip_uint64_t(data.size()) < size) {
        const zip_uint64_t want = std::min(kPiece, size - zip_uint64_t(data.size()));
        const qsizetype at = data.size();
        data.resize(at + qsizetype(want));
        const zip_int64_t got = zip_fread(f, data.data() + at, want);
        ok = got == zip_int64_t(want);
    }
    zip_fclose(f);
    return ok;
}

std::string megabytes(zip_uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

} // namespace

void Package::read(const QString& path)
{
    int err = 0;
    // libzip takes file names in UTF-8 on every system.
    zip_t* z = zip_open(path.toUtf8().constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!z)
        throw FormatError("arhiva zip a registrului este deteriorata (cod " + std::to_string(err) + ")");
    auto refuse = [z](const std::string& why) {
        zip_discard(z);
        throw FormatError(why);
    };
    const zip_int64_t n = zip_get_num_entries(z, 0);
    std::vector<zip_stat_t> entries(size_t(std::max<zip_int64_t>(n, 0)));
    zip_uint64_t total = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t& st = entries[size_t(i)];
        if (zip_stat_index(z, zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE) || !(st.valid & ZIP_STAT_NAME))
            refuse("intrare zip ilizibila");
        if (st.size > kPartLimit)
            refuse("partea \"" + std::string(st.name) + "\" are " + megabytes(st.size) + " dezarhivata, peste limita de "
                   + megabytes(kPartLimit) + " a unei parti");
        total += st.size;
        if (total > kPackageLimit)
            refuse("partile registrului au peste " + megabytes(kPackageLimit) + " dezarhivate, limita unui registru");
    }
    for (zip_int64_t i = 0; i < n; ++i) {
        const zip_stat_t& st = entries[size_t(i)];
        const QString name = QString::fromUtf8(st.name);
        QByteArray data;
        if (!readEntry(z, zip_uint64_t(i), st.size, data))
            refuse("intrarea zip \"" + name.toStdString() + "\" este deteriorata");
        if (m_parts.contains(name))
            refuse("intrare zip duplicata: " + name.toStdString());
        m_parts.insert(name, data);
        m_order.append(name);
    }
    zip_discard(z);
}

void Package::setPart(const QString& name, const QByteArray& data)
{
    if (!m_parts.contains(name))
        m_order.append(name);
    m_parts.insert(name, data);
}

void Package::remove(const QString& name)
{
    m_parts.remove(name);
    m_order.removeAll(name);
}

void Package::write(const QString& path, int level) const
{
    QFileInfo fi(path);
    QString tmp;
    {
        QTemporaryFile t(fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".XXXXXX"));
        t.setAutoRemove(false);
        if (!t.open())
            throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi scris: " + t.errorString().toStdString());
        tmp = t.fileName();
    }
    int err = 0;
    zip_t* z = zip_open(tmp.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!z) {
        QFile::remove(tmp);
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi scris");
    }
    bool ok = true;
    for (const QString& name : m_order) {
        const QByteArray& data = m_parts[name];
        zip_source_t* src = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        zip_int64_t idx = src ? zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (idx < 0) {
            if (src) zip_source_free(src);
            ok = false;
            break;
        }
        zip_set_file_compression(z, zip_uint64_t(idx), ZIP_CM_DEFLATE, zip_uint32_t(level));
    }
    if (!ok || zip_close(z) != 0) {
        zip_discard(z);
        QFile::remove(tmp);
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi scris");
    }
    // The temporary file was created private to the user; give the output the
    // usual permissions of a document.
    QFile::setPermissions(tmp, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                   | QFileDevice::ReadOther);
    QFile::remove(path);
    if (!QFile::rename(tmp, path)) {
        QFile::remove(tmp);
        throw WorkbookError("Fisierul \"" + path.toStdString() + "\" nu poate fi scris (redenumire esuata)");
    }
}

} // namespace workbook::xlsx
