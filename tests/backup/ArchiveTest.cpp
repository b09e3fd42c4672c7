// The ".L21" archive: round trips, the format's edge cases, hostile archives,
// and interchange with an independent Python reader and writer.
#include "SmallDisk.h"

#include "backup/Archive.h"
#include "data/Paths.h"
#include "data/Cp1250.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <map>

using backup::ArchiveFileList;
using backup::CommandLineArchive;
using backup::OpenCommandLineArchive;
using backup::UnpackArchive;
using backup::WriteArchive;

namespace {

const QString kReference = QStringLiteral(HESTAVO_SOURCE_DIR "/tests/backup/archive_reference.py");

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// Name -> content of every file directly in folder.
std::map<QString, QByteArray> folderContents(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = readFile(QDir(folder).filePath(name));
    return files;
}

QByteArray int32(qint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((quint32(v) >> (8 * i)) & 0xFF);
    return b;
}

QByteArray zlib9(const QByteArray& data)
{
    uLongf len = compressBound(uLong(data.size()));
    QByteArray out(int(len), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &len, reinterpret_cast<const Bytef*>(data.constData()),
              uLong(data.size()), 9);
    out.resize(int(len));
    return out;
}

QByteArray entry(const QByteArray& name, const QByteArray& content)
{
    return int32(qint32(name.size())) + name + int32(qint32(content.size())) + zlib9(content);
}

// Text that compresses like a document: words repeated with variation.
QByteArray documentText(int bytes, quint32 seed)
{
    static const char* words[] = {"cerere", "ajutor", "incalzire", "locuinta", "lemne", "venit", "membru",
                                  "dispozitie", "primar", "beneficiar", "\\par ", "{\\b ", "}", "\r\n"};
    QRandomGenerator rng(seed);
    QByteArray text;
    while (text.size() < bytes) {
        text += words[rng.bounded(int(std::size(words)))];
        text += ' ';
        text += QByteArray::number(rng.bounded(1000));
    }
    text.resize(bytes);
    return text;
}

struct PythonRun {
    int exitCode;
    QByteArray out;
};

PythonRun python(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(HESTAVO_PYTHON), QStringList{kReference} + args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput() + p.readAllStandardError()};
}

class ArchiveTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString makeFolder(const QString& name) const
    {
        QDir().mkpath(path(name));
        return path(name);
    }
    // A data folder: text and binary files across several 64 KB blocks, an
    // empty file, a sub-folder, a link to a file outside, and a name with
    // Romanian letters.
    QString sampleFolder() const
    {
        const QString folder = makeFolder(QStringLiteral("sample"));
        QByteArray binary(200000, '\0');
        QRandomGenerator rng(7);
        for (char& c : binary)
            c = char(rng.bounded(256));
        writeFile(QDir(folder).filePath(QStringLiteral("Cereri.dbf")), documentText(700000, 1));
        writeFile(QDir(folder).filePath(QStringLiteral("poza.bin")), binary);
        writeFile(QDir(folder).filePath(QStringLiteral("Hestavo.set")), "[VARIABILE]\r\nLUNA_LUCRU=01.2026\r\n");
        writeFile(QDir(folder).filePath(QString::fromUtf8("Anexă ŞŢ.rtf")), documentText(5000, 2));
        writeFile(QDir(folder).filePath(QStringLiteral("Gol.txt")), QByteArray());
        QDir(folder).mkdir(QStringLiteral("Sub"));
        writeFile(QDir(folder).filePath(QStringLiteral("Sub/ascuns.txt")), "nu se arhiveaza");
        writeFile(path(QStringLiteral("afara.txt")), "nici acesta");
        QFile::link(path(QStringLiteral("afara.txt")), QDir(folder).filePath(QStringLiteral("Legatura.txt")));
        return folder;
    }

    QTemporaryDir m_dir;
};

TEST_F(ArchiveTest, RoundTripKeepsEveryNonEmptyFileAndOnlyThose)
{
    const QString folder = sampleFolder();
    const QString archive = path(QStringLiteral("copie.L21"));
    int lastPosition = -1, maximum = -1;
    WriteArchive(folder, archive, [&](int pos, int max) { lastPosition = pos; maximum = max; });
    EXPECT_EQ(maximum, 4);
    EXPECT_EQ(lastPosition, 4);

    const QByteArray bytes = readFile(archive);
    ASSERT_GE(bytes.size(), 4);
    EXPECT_EQ(bytes.left(4), int32(4)); // the empty file, the link and the sub-folder are left out

    const QString out = makeFolder(QStringLiteral("out"));
    QString error;
    EXPECT_FALSE(UnpackArchive(archive, out, &error));
    EXPECT_EQ(error, QString());
    auto expected = folderContents(folder);
    expected.erase(QStringLiteral("Gol.txt"));
    expected.erase(QStringLiteral("Legatura.txt"));
    EXPECT_EQ(folderContents(out), expected);
    EXPECT_FALSE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("Sub"))));
    // The name is stored in Windows-1250, one byte per letter.
    const QByteArray name = toCp1250(QString::fromUtf8("Anexă ŞŢ.rtf"));
    EXPECT_EQ(name.size(), 12);
    EXPECT_TRUE(bytes.contains(int32(12) + name));
}

TEST_F(ArchiveTest, OutputDoesNotDependOnTheNumberOfWorkersAndLeavesNoTemporaries)
{
    const QString folder = sampleFolder();
    for (int extra = 0; extra < 6; ++extra)
        writeFile(QDir(folder).filePath(QStringLiteral("doc%1.rtf").arg(extra)), documentText(90000 + 20000 * extra, 10 + extra));
    // Files compressed in several blocks: one a whole number of blocks long, one not.
    writeFile(QDir(folder).filePath(QStringLiteral("Oameni.dbf")), documentText(2 * 1024 * 1024, 30));
    writeFile(QDir(folder).filePath(QStringLiteral("Mare.dbf")), documentText(3 * 1024 * 1024 + 12345, 31));
    const QString outFolder = makeFolder(QStringLiteral("archives"));
    QByteArray first;
    for (int threads : {1, 2, 5}) {
        const QString archive = QDir(outFolder).filePath(QStringLiteral("t%1.L21").arg(threads));
        WriteArchive(folder, archive, {}, threads);
        const QByteArray bytes = readFile(archive);
        if (first.isEmpty())
            first = bytes;
        EXPECT_EQ(bytes, first) << threads << " workers";
    }
    EXPECT_EQ(QDir(outFolder).entryList(QDir::Files).size(), 3) << "temporary files were left beside the archives";

    // Each file is one zlib stream the reference reader and our reader read whole.
    const QString archive = QDir(outFolder).filePath(QStringLiteral("t2.L21"));
    const QString theirs = makeFolder(QStringLiteral("theirs"));
    const PythonRun unpacked = python({QStringLiteral("unpack"), archive, theirs});
    ASSERT_EQ(unpacked.exitCode, 0) << unpacked.out.toStdString();
    const QString ours = makeFolder(QStringLiteral("ours"));
    QString error;
    EXPECT_FALSE(UnpackArchive(archive, ours, &error)) << error.toStdString();
    auto expected = folderContents(folder);
    expected.erase(QStringLiteral("Gol.txt"));
    expected.erase(QStringLiteral("Legatura.txt"));
    EXPECT_EQ(folderContents(theirs), expected);
    EXPECT_EQ(folderContents(ours), expected);
}

TEST_F(ArchiveTest, EmptyFolderGivesCountZeroWhichUnpacksToNothingWithoutFailing)
{
    const QString archive = path(QStringLiteral("gol.L21"));
    WriteArchive(makeFolder(QStringLiteral("empty")), archive);
    EXPECT_EQ(readFile(archive), int32(0));
    const QString out = makeFolder(QStringLiteral("out"));
    EXPECT_FALSE(UnpackArchive(archive, out));
    EXPECT_TRUE(folderContents(out).empty());
}

TEST_F(ArchiveTest, WriteFailureThrowsNamingTheArchiveAndLeavesNoFile)
{
    const QString folder = sampleFolder();
    const QString noFolder = path(QStringLiteral("lipsa"));
    struct Row {
        const char* rule;
        QString folder;
        QString archive;
        QString message;
    };
    const Row rows[] = {
        {"archive cannot be created", folder, path(QStringLiteral("lipsa/copie.L21")),
         QStringLiteral("Nu pot crea arhiva %1!").arg(path(QStringLiteral("lipsa/copie.L21")))},
        {"folder to archive missing", noFolder, path(QStringLiteral("copie.L21")),
         QStringLiteral("Nu gasesc folderul %1 pentru arhiva %2!").arg(noFolder, path(QStringLiteral("copie.L21")))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        try {
            WriteArchive(row.folder, row.archive);
            ADD_FAILURE() << "no error";
        } catch (const backup::ArchiveError& e) {
            EXPECT_EQ(e.message(), row.message);
        }
        EXPECT_FALSE(QFileInfo::exists(row.archive));
    }
}

TEST_F(ArchiveTest, ArchiveWrittenIntoTheArchivedFolderLeavesItselfOut)
{
    const QString folder = sampleFolder();
    const QString archive = QDir(folder).filePath(QStringLiteral("copie.L21"));
    writeFile(archive, "o arhiva veche");
    WriteArchive(folder, archive);
    const QString out = makeFolder(QStringLiteral("out"));
    ASSERT_FALSE(UnpackArchive(archive, out));
    EXPECT_FALSE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("copie.L21"))));
    EXPECT_EQ(folderContents(out).size(), 4u);
}

TEST_F(ArchiveTest, TruncatedEntryFailsThereAndNothingIsWritten)
{
    const QByteArray third = documentText(300000, 3);
    QByteArray bytes = int32(3) + entry("a.txt", "primul") + entry("b.txt", "al doilea") + entry("c.txt", third);
    bytes.chop(zlib9(third).size() / 2);
    const QString archive = path(QStringLiteral("taiat.L21"));
    writeFile(archive, bytes);
    const QString out = makeFolder(QStringLiteral("out"));
    QString error;
    EXPECT_TRUE(UnpackArchive(archive, out, &error));
    EXPECT_EQ(error, QStringLiteral("Arhiva %1 este defecta: fisierul 3 (c.txt) este trunchiat.").arg(archive));
    EXPECT_TRUE(QDir(out).isEmpty());
}

// Hostile or damaged archives: each has a good first entry "ok.txt", then the
// fault. Unpacking fails with the reason and writes nothing, neither in the
// target folder nor beside it.
struct HostileCase {
    const char* rule;
    QByteArray archive;
    const char* reason; // the message after "Arhiva <path> este defecta: "
};

QByteArray withStream(const QByteArray& name, qint32 size, const QByteArray& stream)
{
    return int32(qint32(name.size())) + name + int32(size) + stream;
}

std::vector<HostileCase> hostileCases()
{
    const QByteArray ok = entry("ok.txt", "bun");
    const QByteArray two = int32(2) + ok;
    QByteArray corrupt = zlib9(documentText(5000, 4));
    corrupt[corrupt.size() / 2] = char(corrupt[corrupt.size() / 2] ^ 0x55);
    QByteArray badCheck = zlib9("continut");
    badCheck[badCheck.size() - 1] = char(badCheck[badCheck.size() - 1] ^ 1);
    return {
        {"parent folder in the name", two + entry("../rau.txt", "x"), "fisierul 2 are numele nepermis \"../rau.txt\"."},
        {"backslash folder in the name", two + entry("..\\rau.txt", "x"), "fisierul 2 are numele nepermis \"..\\rau.txt\"."},
        {"sub-folder in the name", two + entry("Sub/rau.txt", "x"), "fisierul 2 are numele nepermis \"Sub/rau.txt\"."},
        {"absolute path", two + entry("/tmp/rau.txt", "x"), "fisierul 2 are numele nepermis \"/tmp/rau.txt\"."},
        {"drive letter", two + entry("C:rau.txt", "x"), "fisierul 2 are numele nepermis \"C:rau.txt\"."},
        {"name is ..", two + entry("..", "x"), "fisierul 2 are numele nepermis \"..\"."},
        {"device name", two + entry("nul.txt", "x"), "fisierul 2 are numele nepermis \"nul.txt\"."},
        {"control character", two + entry("rau\x01.txt", "x"), "fisierul 2 are numele nepermis \"rau?.txt\"."},
        {"unassigned code-page byte", two + entry("rau\x81.txt", "x"), "fisierul 2 are numele nepermis \"rau?.txt\"."},
        {"empty name", two + withStream("", 1, zlib9("x")), "fisierul 2 are un nume de 0 octeti."},
        {"negative name length", two + int32(-5) + "abcde", "fisierul 2 are un nume de -5 octeti."},
        {"name longer than the file", two + int32(200) + "abc" + int32(1) + zlib9("x"), "fisierul 2 are un nume de 200 octeti."},
        {"size larger than the stream gives", two + withStream("mare.txt", 100, zlib9("doar atat")),
         "fisierul 2 (mare.txt) are 9 octeti in loc de 100."},
        {"stream larger than the size", two + withStream("mic.txt", 4, zlib9(documentText(200000, 5))),
         "fisierul 2 (mic.txt) contine mai mult decat cei 4 octeti declarati."},
        {"negative size", two + withStream("neg.txt", -1, zlib9("x")), "fisierul 2 (neg.txt) are marimea -1."},
        {"names that differ only in letter case", int32(3) + ok + entry("Cereri.dbf", "a") + entry("CERERI.DBF", "b"),
         "fisierul 3 (CERERI.DBF) are acelasi nume ca fisierul 2 (Cereri.dbf)."},
        {"Romanian letters that differ only in case", int32(3) + ok + entry("Anex\xe3.rtf", "a") + entry("ANEX\xc3.rtf", "b"),
         "fisierul 3 (ANEXĂ.rtf) are acelasi nume ca fisierul 2 (Anexă.rtf)."},
        {"corrupt deflate data", two + withStream("stricat.txt", 5000, corrupt), "datele fisierului 2 (stricat.txt) sunt corupte."},
        {"wrong check value", two + withStream("suma.txt", 8, badCheck), "datele fisierului 2 (suma.txt) sunt corupte."},
        {"stream cut after its header", two + withStream("cap.txt", 3, zlib9("abc").left(2)), "fisierul 2 (cap.txt) este trunchiat."},
        {"size field missing", two + int32(11) + "capitol.txt", "fisierul 2 (capitol.txt) este trunchiat."},
        {"count beyond what the file holds", int32(1000000) + ok, "declara 1000000 fisiere, mai multe decat poate cuprinde."},
        {"negative count", int32(-1) + ok, "declara -1 fisiere, mai multe decat poate cuprinde."},
        {"count field cut", QByteArray("\x01\x00", 2), "lipseste numarul de fisiere."},
    };
}

TEST_F(ArchiveTest, HostileArchivesAreRefusedNotObeyed)
{
    for (const HostileCase& c : hostileCases()) {
        SCOPED_TRACE(c.rule);
        QTemporaryDir root;
        const QString archive = root.filePath(QStringLiteral("rau.L21"));
        writeFile(archive, c.archive);
        const QString out = root.filePath(QStringLiteral("Data"));
        QDir().mkpath(out);
        QString error;
        EXPECT_TRUE(UnpackArchive(archive, out, &error));
        EXPECT_EQ(error, QStringLiteral("Arhiva %1 este defecta: %2").arg(archive, QString::fromUtf8(c.reason)));
        EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  (QStringList{QStringLiteral("Data"), QStringLiteral("rau.L21")}));
    }
}

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator rng(seed);
    for (char& c : bytes)
        c = char(rng.bounded(256));
    return bytes;
}

// Archives declaring more than a data folder holds, from small files: each
// is refused with the reason before anything is written.
TEST_F(ArchiveTest, OversizedArchivesAreRefusedBeforeAnythingIsWritten)
{
    const QByteArray ok = entry("ok.txt", "bun");
    const QByteArray zeros(20 << 20, '\0'); // a real stream of about 1000:1
    backup::UnpackLimits twoMegabytes;
    twoMegabytes.totalBytes = 2 << 20;
    const struct {
        const char* rule;
        QByteArray archive;
        backup::UnpackLimits limits;
        const char* reason; // after "Arhiva <path> nu poate fi despachetata: "
    } cases[] = {
        {"a few bytes declaring a file above the limit", int32(2) + ok + withStream("Cereri.dbf", 1536 << 20, zlib9("x")), {},
         "fisierul 2 (Cereri.dbf) ar avea 1536 MB, peste limita de 1024 MB a unui fisier de date."},
        {"files within the limit but above the total",
         int32(3) + ok + entry("a.rtf", documentText(1 << 20, 30)) + entry("b.rtf", documentText(1 << 20, 31)), twoMegabytes,
         "fisierele ei ar avea peste 2 MB, limita unui folder de date."},
        {"a high-ratio stream at the end of the archive", int32(2) + ok + entry("zero.bin", zeros), {},
         "fisierul 2 (zero.bin) declara 20 MB, de peste 200 ori cat ocupa comprimat."},
        {"a high-ratio stream followed by other files",
         int32(3) + ok + entry("zero.bin", zeros) + entry("poza.bin", randomBytes(300000, 9)), {},
         "fisierul 2 (zero.bin) declara 20 MB, de peste 200 ori cat ocupa comprimat."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        QTemporaryDir root;
        const QString archive = root.filePath(QStringLiteral("mare.L21"));
        writeFile(archive, c.archive);
        const QString out = root.filePath(QStringLiteral("Data"));
        QDir().mkpath(out);
        const backup::UnpackResult r = backup::UnpackArchiveWithReason(archive, out, {}, c.limits);
        EXPECT_EQ(r.failure, backup::UnpackResult::Failure::TooLarge);
        EXPECT_EQ(r.error, QStringLiteral("Arhiva %1 nu poate fi despachetata: %2").arg(archive, QString::fromUtf8(c.reason)));
        EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }
}

// A disk without room for the files: refused before writing when the
// archive needs more than is free, and told as a full disk (not a damaged
// archive) when the disk fills while the files are written.
TEST_F(ArchiveTest, FullDiskIsToldAsSuch)
{
    SmallDisk disk(path(QStringLiteral("disc")), 2048);
    if (!disk.mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString out = makeFolder(QStringLiteral("disc/Data"));
    const QString archive = path(QStringLiteral("a.L21"));
    writeFile(archive, int32(2) + entry("a.bin", randomBytes(900000, 1)) + entry("b.bin", randomBytes(900000, 2)));

    // Room for the files at first; another program fills the disk once the check is done.
    const backup::UnpackResult filled = backup::UnpackArchiveWithReason(archive, out, [&](int position, int) {
        if (position == 3)
            writeFile(path(QStringLiteral("disc/altul.bin")), randomBytes(1000000, 3));
    });
    EXPECT_EQ(filled.failure, backup::UnpackResult::Failure::DiskFull);
    EXPECT_EQ(filled.error, QStringLiteral("Discul este plin! Nu pot scrie fisierul %1 din arhiva %2!")
                                .arg(QDir(out).filePath(QStringLiteral("b.bin")), archive));
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("a.bin")}); // no half file

    // No room from the start: nothing is written.
    QDir(out).removeRecursively();
    QDir().mkpath(out);
    const backup::UnpackResult noRoom = backup::UnpackArchiveWithReason(archive, out);
    EXPECT_EQ(noRoom.failure, backup::UnpackResult::Failure::DiskFull);
    EXPECT_EQ(noRoom.error, QStringLiteral("Discul este plin! Fisierele din arhiva %1 au 2 MB, pe discul folderului %2 sunt liberi 1 MB.")
                                .arg(archive, out));
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(ArchiveTest, RandomlyDamagedArchivesWriteOnlyWholeFilesInsideTheTarget)
{
    // Bytes changed, cut or inserted anywhere: unpacking may fail or not, but
    // every file it leaves is one of the archived files, whole, in the target.
    const QString source = makeFolder(QStringLiteral("src"));
    std::vector<QByteArray> originals;
    for (int i = 0; i < 3; ++i) {
        originals.push_back(documentText(3000 * (i + 1), 20 + i));
        writeFile(QDir(source).filePath(QStringLiteral("f%1.txt").arg(i)), originals.back());
    }
    const QString good = path(QStringLiteral("bun.L21"));
    WriteArchive(source, good);
    const QByteArray bytes = readFile(good);
    QRandomGenerator rng(1234);
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = bytes;
        for (int k = 1 + rng.bounded(3); k > 0 && !damaged.isEmpty(); --k) {
            const int at = rng.bounded(int(damaged.size()));
            switch (rng.bounded(3)) {
            case 0: damaged[at] = char(rng.bounded(256)); break;
            case 1: damaged.truncate(at); break;
            default: damaged.insert(at, char(rng.bounded(256))); break;
            }
        }
        QTemporaryDir root;
        const QString archive = root.filePath(QStringLiteral("rau.L21"));
        writeFile(archive, damaged);
        const QString out = root.filePath(QStringLiteral("Data"));
        QDir().mkpath(out);
        UnpackArchive(archive, out);
        ASSERT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  (QStringList{QStringLiteral("Data"), QStringLiteral("rau.L21")})) << "round " << round;
        for (const auto& [name, content] : folderContents(out))
            EXPECT_NE(std::find(originals.begin(), originals.end(), content), originals.end())
                << "round " << round << ": " << name.toStdString();
    }
}

TEST_F(ArchiveTest, MissingArchiveIsReportedByName)
{
    QString error;
    const QString archive = path(QStringLiteral("nu-exista.L21"));
    EXPECT_TRUE(UnpackArchive(archive, makeFolder(QStringLiteral("out")), &error));
    EXPECT_EQ(error, QStringLiteral("Nu pot deschide arhiva %1!").arg(archive));
}

TEST_F(ArchiveTest, UnpackReplacesALinkInsteadOfWritingThroughIt)
{
    const QString outside = path(QStringLiteral("afara.txt"));
    writeFile(outside, "neatins");
    const QString out = makeFolder(QStringLiteral("out"));
    ASSERT_TRUE(QFile::link(outside, QDir(out).filePath(QStringLiteral("Cereri.dbf"))));
    const QString archive = path(QStringLiteral("a.L21"));
    writeFile(archive, int32(1) + entry("Cereri.dbf", "din arhiva"));
    EXPECT_FALSE(UnpackArchive(archive, out));
    EXPECT_EQ(readFile(outside), QByteArray("neatins"));
    EXPECT_FALSE(QFileInfo(QDir(out).filePath(QStringLiteral("Cereri.dbf"))).isSymLink());
    EXPECT_EQ(readFile(QDir(out).filePath(QStringLiteral("Cereri.dbf"))), QByteArray("din arhiva"));
}

TEST_F(ArchiveTest, IndependentReaderReadsOurArchiveAndWritesTheSameBytes)
{
    const QString folder = sampleFolder();
    const QString archive = path(QStringLiteral("noi.L21"));
    WriteArchive(folder, archive);

    const PythonRun listed = python({QStringLiteral("list"), archive});
    ASSERT_EQ(listed.exitCode, 0) << listed.out.toStdString();
    QStringList expected;
    for (const QString& name : ArchiveFileList(folder)) {
        const QByteArray content = readFile(QDir(folder).filePath(name));
        expected << QStringLiteral("%1\t%2\t%3").arg(name).arg(content.size())
                        .arg(QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex()));
    }
    EXPECT_EQ(QString::fromUtf8(listed.out).split('\n', Qt::SkipEmptyParts), expected);

    // The same files in the same order, packed by the reference writer with
    // zlib.compress(level 9): files of one block (1 MB) are compressed exactly
    // as a single zlib compression does it, so the bytes agree.
    QStringList files;
    for (const QString& name : ArchiveFileList(folder))
        files << QDir(folder).filePath(name);
    const QString theirs = path(QStringLiteral("ei.L21"));
    const PythonRun packed = python(QStringList{QStringLiteral("pack"), theirs} + files);
    ASSERT_EQ(packed.exitCode, 0) << packed.out.toStdString();
    EXPECT_EQ(readFile(theirs), readFile(archive));
}

TEST_F(ArchiveTest, WeReadAnArchiveWrittenByTheIndependentWriter)
{
    const QString source = makeFolder(QStringLiteral("src"));
    const std::map<QString, QByteArray> files{
        {QStringLiteral("Oameni.dbf"), documentText(150000, 8)},
        {QString::fromUtf8("Ţară.rtf"), "{\\rtf1 text}"},
        {QStringLiteral("Luni.lst"), "01.2026\r\n"},
    };
    QStringList paths;
    for (const auto& [name, content] : files) {
        writeFile(QDir(source).filePath(name), content);
        paths << QDir(source).filePath(name);
    }
    const QString archive = path(QStringLiteral("ei.L21"));
    const PythonRun packed = python(QStringList{QStringLiteral("pack"), archive} + paths);
    ASSERT_EQ(packed.exitCode, 0) << packed.out.toStdString();
    const QString out = makeFolder(QStringLiteral("out"));
    QString error;
    EXPECT_FALSE(UnpackArchive(archive, out, &error)) << error.toStdString();
    EXPECT_EQ(folderContents(out), files);
}

TEST_F(ArchiveTest, SnapshotOfTheDataFolderArchivesTablesWithoutTheirIndexFlag)
{
    const QString data = makeFolder(QStringLiteral("Data"));
    QByteArray table(96, 'x');
    table[0] = 0x03;
    table[28] = 0x01; // production index present
    for (const char* name : {"Cereri.dbf", "Oameni.dbf", "LOG.DBF"})
        writeFile(QDir(data).filePath(QString::fromLatin1(name)), table);
    writeFile(QDir(data).filePath(QStringLiteral("Cereri.mdx")), "index");
    writeFile(QDir(data).filePath(QStringLiteral("Hestavo.set")), "[INDEX]\r\nNRCRT=1\r\n");
    writeFile(QDir(data).filePath(QStringLiteral("Gol.lst")), QByteArray());

    // The program's own data folder, into a fresh "SaveRA" folder of the temporary folder.
    const AppPaths savedPaths = paths();
    paths().dataFolder = data;
    paths().tempFolder = makeFolder(QStringLiteral("Temp"));
    QString error;
    const QString snapshot = backup::SnapshotDataFolder(&error);
    paths() = savedPaths;
    ASSERT_EQ(snapshot, path(QStringLiteral("Temp/SaveRA0"))) << error.toStdString();
    backup::ClearTableIndexFlags(snapshot);
    const QString archive = path(QStringLiteral("zi.L21"));
    WriteArchive(snapshot, archive);

    const QString out = makeFolder(QStringLiteral("out"));
    ASSERT_FALSE(UnpackArchive(archive, out));
    const auto unpacked = folderContents(out);
    QStringList names;
    for (const auto& [name, content] : unpacked)
        names << name;
    EXPECT_EQ(names, (QStringList{"Cereri.dbf", "Hestavo.set", "LOG.DBF", "Oameni.dbf"}));
    for (const char* name : {"Cereri.dbf", "Oameni.dbf", "LOG.DBF"}) {
        const QByteArray copy = unpacked.at(QString::fromLatin1(name));
        ASSERT_EQ(copy.size(), table.size());
        EXPECT_EQ(copy[28], '\0') << name;
    }
    // The data folder itself is untouched.
    EXPECT_EQ(readFile(QDir(data).filePath(QStringLiteral("Cereri.dbf"))), table);
    EXPECT_TRUE(QFileInfo::exists(QDir(data).filePath(QStringLiteral("Cereri.mdx"))));

    EXPECT_EQ(backup::SnapshotDataFolder(makeFolder(QStringLiteral("gol")), path(QStringLiteral("SaveRA1")), &error), QString());
    EXPECT_EQ(error, QStringLiteral("Folderul %1 nu are fisiere de salvat!").arg(path(QStringLiteral("gol"))));
}

TEST_F(ArchiveTest, CommandLineArgumentOpensAnArchiveInATemporaryCopy)
{
    const QString saved = QDir::currentPath();
    const AppPaths savedPaths = paths();
    const QString temp = makeFolder(QStringLiteral("Temp"));
    paths().tempFolder = temp;
    paths().dataFolder = paths().localDataFolder = path(QStringLiteral("Data"));
    paths().programFolder = m_dir.path();
    const QString good = path(QStringLiteral("copie.l21")); // extension in lower case
    writeFile(good, int32(2) + entry("Cereri.dbf", "tabel") + entry("Hestavo.set", "[X]"));
    const QString bad = path(QStringLiteral("stricata.L21"));
    writeFile(bad, (int32(2) + entry("Cereri.dbf", "tabel") + entry("Hestavo.set", "[X]")).chopped(3));
    const QString other = path(QStringLiteral("nota.txt"));
    writeFile(other, "text");

    struct Row {
        const char* rule;
        QString argument;
        CommandLineArchive::Outcome outcome;
    };
    const Row rows[] = {
        {"no argument", QString(), CommandLineArchive::Outcome::None},
        {"path that does not exist", path(QStringLiteral("lipsa.L21")), CommandLineArchive::Outcome::None},
        {"a folder", temp, CommandLineArchive::Outcome::None},
        {"another extension", other, CommandLineArchive::Outcome::Ignored},
        {"damaged archive", bad, CommandLineArchive::Outcome::Failed},
        {"archive", good, CommandLineArchive::Outcome::Opened},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        const CommandLineArchive r = OpenCommandLineArchive(row.argument);
        EXPECT_EQ(r.outcome, row.outcome);
        if (row.outcome != CommandLineArchive::Outcome::Opened) {
            EXPECT_EQ(paths().dataFolder, path(QStringLiteral("Data")));
            EXPECT_EQ(paths().openedArchive, QString());
        }
        if (row.outcome == CommandLineArchive::Outcome::Failed) {
            EXPECT_EQ(r.error, QStringLiteral("Arhiva %1 este defecta: fisierul 2 (Hestavo.set) este trunchiat.").arg(bad));
            EXPECT_TRUE(QDir(temp).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty()) << "working copy left behind";
        }
        if (row.outcome == CommandLineArchive::Outcome::Opened) {
            EXPECT_EQ(r.archive, good);
            EXPECT_EQ(r.programFolder, QDir(temp).filePath(QStringLiteral("SAV0")));
            EXPECT_EQ(r.dataFolder, QDir(temp).filePath(QStringLiteral("SAV0/Data")));
            EXPECT_EQ(folderContents(r.dataFolder),
                      (std::map<QString, QByteArray>{{"Cereri.dbf", "tabel"}, {"Hestavo.set", "[X]"}}));
            EXPECT_EQ(QDir::currentPath(), r.programFolder);
            EXPECT_EQ(paths().programFolder, r.programFolder);
            EXPECT_EQ(paths().dataFolder, r.dataFolder);
            EXPECT_EQ(paths().localDataFolder, r.dataFolder);
            EXPECT_EQ(paths().openedArchive, good);
        }
    }
    QDir::setCurrent(saved);
    paths() = savedPaths;
}

} // namespace
