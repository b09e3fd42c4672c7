// Request and reply files: layout, reading back, and the refusal of hostile
// replies (paths in attachment names, sizes that do not fit, endless lines).
#include "protocol/RequestFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace protocol;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

TEST(RequestFile, LayoutIsLinesAttachLinesEndThenBytes)
{
    QTemporaryDir dir;
    const QString srv = writeFile(dir, "a.L21", "ARCHIVE");
    const QString out = dir.filePath("Comanda0.cmd");
    ASSERT_TRUE(writeCommandFile(out, {"/PUT_FILE nota"},
                                 {{"Srv", srv, 0}, {"Lipsa", dir.filePath("nu-exista"), 0}}));
    EXPECT_EQ(readAll(out), QByteArray("/PUT_FILE nota\r\n#ATTACH Srv : 7\r\n/END\r\nARCHIVE"));
}

TEST(RequestFile, ReadsCommandsAndExtractsAttachmentsByteForByte)
{
    QTemporaryDir dir;
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(char(i));
    binary += "\r\n/END\r\n";   // attachment bytes that look like lines
    const QString a = writeFile(dir, "a", binary);
    const QString b = writeFile(dir, "b", "second");
    const QString file = dir.filePath("reply.cmd");
    ASSERT_TRUE(writeCommandFile(file, {"/DATAIN 01.02.2024", " /msg_dlg  Salut  lume ", "/CODCONF"},
                                 {{"Stoc.dbf", a, 0}, {"17", b, 0}}));
    ParsedFile parsed;
    QString error;
    ASSERT_TRUE(readCommandFile(file, &parsed, &error)) << error.toStdString();
    EXPECT_TRUE(parsed.ended);
    EXPECT_EQ(parsed.value("/DATAIN"), "01.02.2024");
    EXPECT_EQ(parsed.value("/MSG_DLG"), "Salut  lume");
    EXPECT_TRUE(parsed.has("/CODCONF"));
    EXPECT_EQ(parsed.value("/CODCONF"), "");
    EXPECT_FALSE(parsed.has("/PASS"));
    ASSERT_EQ(parsed.attachments.size(), 2);

    QTemporaryDir target;
    ASSERT_TRUE(extractAttachments(file, &parsed, target.path(), &error));
    EXPECT_EQ(readAll(target.filePath("Stoc.dbf")), binary);
    EXPECT_EQ(readAll(target.filePath("17")), QByteArray("second"));
}

TEST(RequestFile, AReplyWithoutEndIsReadToItsLastLineButOne)
{
    QTemporaryDir dir;
    const QString file = writeFile(dir, "r", "/DATAIN 01.01.2024\r\n/DATAEXP 01.01.2025\r\n/MSG_DLG taiat");
    ParsedFile parsed;
    ASSERT_TRUE(readCommandFile(file, &parsed));
    EXPECT_FALSE(parsed.ended);
    EXPECT_EQ(parsed.value("/DATAIN"), "01.01.2024");
    EXPECT_EQ(parsed.value("/DATAEXP"), "01.01.2025");
    EXPECT_FALSE(parsed.has("/MSG_DLG"));
}

TEST(RequestFile, HostileFilesAreRefused)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"attachment named with a parent folder", "#ATTACH ../x : 1\r\n/END\r\nx"},
        {"attachment named with a backslash path", "#ATTACH ..\\x : 1\r\n/END\r\nx"},
        {"attachment named with an absolute path", "#ATTACH /etc/passwd : 1\r\n/END\r\nx"},
        {"attachment named with a drive", "#ATTACH C:x : 1\r\n/END\r\nx"},
        {"attachment named as a device", "#ATTACH NUL.txt : 1\r\n/END\r\nx"},
        {"attachment larger than the file", "#ATTACH a : 99\r\n/END\r\nx"},
        {"attachment size not a number", "#ATTACH a : lots\r\n/END\r\nx"},
        {"negative attachment size", "#ATTACH a : -5\r\n/END\r\nx"},
        // Sizes whose sum runs past the largest 64-bit number and wraps round.
        {"two sizes near the integer limit", "#ATTACH a : 9223372036854775807\r\n#ATTACH b : 9223372036854775807\r\n"
                                             "#ATTACH c : 3\r\n/END\r\nx"},
        {"a size at the limit after a small one", "#ATTACH a : 1\r\n#ATTACH b : 9223372036854775807\r\n/END\r\nxy"},
        {"line without end", QByteArray(kMaxLineBytes + 10, 'A')},
        {"too many lines", QByteArray("/X\r\n").repeated(kMaxLines + 1) + "/END\r\n"},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString file = writeFile(dir, "hostile", c.bytes);
        ParsedFile parsed;
        QString error;
        EXPECT_FALSE(readCommandFile(file, &parsed, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"hostile"});
}

TEST(RequestFile, PlainFileNames)
{
    for (const char* good : {"Srv", "Stoc.dbf", "17", "Salvare 2024.L21"})
        EXPECT_TRUE(isPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "c:", "CON", "com1.txt", "a\tb", "x.", "a*"})
        EXPECT_FALSE(isPlainFileName(bad)) << bad;
}

TEST(RequestFile, WritingRefusesAnAttachmentNameWithAPath)
{
    QTemporaryDir dir;
    const QString a = writeFile(dir, "a", "x");
    QString error;
    EXPECT_FALSE(writeCommandFile(dir.filePath("out"), {"/X"}, {{"../a", a, 0}}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(RequestFile, DamagedRepliesNeverEscapeTheFileOrTheFolder)
{
    // A valid reply with two attachments, then many copies of it with bytes
    // changed, cut or repeated at random (fixed seed).
    QTemporaryDir dir;
    const QString a = writeFile(dir, "a", QByteArray(300, 'a'));
    const QString b = writeFile(dir, "b", QByteArray(50, 'b'));
    const QString good = dir.filePath("good");
    ASSERT_TRUE(writeCommandFile(good, {"/DATAIN 01.01.2024", "/MSG_DLG x"}, {{"Stoc.dbf", a, 0}, {"17", b, 0}}));
    const QByteArray original = readAll(good);
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    QTemporaryDir out;
    for (int round = 0; round < 600; ++round) {
        QByteArray bytes = original;
        const int changes = 1 + int(next() % 4);
        for (int c = 0; c < changes; ++c) {
            const qsizetype at = qsizetype(next() % quint32(bytes.size()));
            switch (next() % 3) {
            case 0: bytes[at] = char(next() >> 24); break;
            case 1: bytes.truncate(at); break;
            default: bytes.insert(at, bytes.mid(at, 20)); break;
            }
            if (bytes.isEmpty())
                bytes = "x";
        }
        const QString file = writeFile(dir, "damaged", bytes);
        ParsedFile parsed;
        if (!readCommandFile(file, &parsed))
            continue;
        qint64 total = 0;
        for (const FileAttachment& att : parsed.attachments) {
            ASSERT_TRUE(isPlainFileName(att.name)) << round;
            total += att.size;
        }
        ASSERT_LE(total, bytes.size()) << round;
        ASSERT_TRUE(extractAttachments(file, &parsed, out.path())) << round;
        for (const FileAttachment& att : parsed.attachments)
            ASSERT_TRUE(att.path.startsWith(out.path() + "/")) << round;
    }
}
