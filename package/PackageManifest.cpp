#include "package/PackageManifest.h"

#include "documents/OutputError.h"
#include "documents/PaymentSelection.h"
#include "workbook/xlsx/Package.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace hestavo {

namespace {

const QString kHeading = QStringLiteral("Pachet lunar");
// The fastest deflate: the lists and tables shrink almost as much as at the
// default level, in a third of the time.
constexpr int kZipLevel = 1;

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw OutputError(kHeading, "Nu pot citi " + QDir::toNativeSeparators(path) + "!");
    return f.readAll();
}

QStringList RelativeFiles(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

QList<PackageFile> ListPackageFiles(const QString& packageFolder, const QList<PackageFile>& written)
{
    QList<PackageFile> files;
    for (const QString& relative : RelativeFiles(packageFolder)) {
        auto known = std::find_if(written.cbegin(), written.cend(),
                                  [&](const PackageFile& f) { return f.path == relative; });
        PackageFile file = known != written.cend() ? *known : PackageFile{relative, {}, 0, std::nullopt, 0, {}};
        if (file.recipient.isEmpty())
            file.recipient = relative.contains(u'/') ? relative.section(u'/', 0, 0) : QStringLiteral("Pachet");
        const QByteArray bytes = FileBytes(QDir(packageFolder).filePath(relative));
        file.size = bytes.size();
        file.sha256 = QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
        files << file;
    }
    return files;
}

void WriteManifest(const QString& path, const QList<PackageFile>& files)
{
    QByteArray text = "Fisier;Destinatar;Randuri;Total;Octeti;SHA256\r\n";
    for (const PackageFile& f : files) {
        const bool listed = f.cents.has_value();
        text += QStringList{f.path, f.recipient, listed || f.rows ? QString::number(f.rows) : QString(),
                            listed ? CentsText(*f.cents) : QString(), QString::number(f.size), QString::fromLatin1(f.sha256)}
                    .join(u';')
                    .toUtf8()
                + "\r\n";
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit())
        throw OutputError(kHeading, "Nu pot scrie " + QDir::toNativeSeparators(path) + "!");
}

void WritePackageZip(const QString& packageFolder, const QString& zipPath)
{
    const QString name = QFileInfo(packageFolder).fileName();
    workbook::xlsx::Package zip;
    for (const QString& relative : RelativeFiles(packageFolder))
        zip.setPart(name + "/" + relative, FileBytes(QDir(packageFolder).filePath(relative)));
    zip.write(zipPath, kZipLevel);
}

} // namespace hestavo
