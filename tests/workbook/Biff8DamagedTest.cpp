// Damaged, encrypted and foreign files give a clear error naming the file and
// never crash; long shared strings split over CONTINUE records read back whole.
#include "Checkers.h"

#include "workbook/Bytes.h"
#include "workbook/Workbook.h"
#include "workbook/biff8/CompoundFile.h"
#include "workbook/biff8/RecordReader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace workbook;

namespace {

QByteArray templateBytes()
{
    QFile f(QStringLiteral(HESTAVO_TEST_DATA "/test-lista.xls"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

QString writeTo(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QString p = dir.filePath(name);
    QFile f(p);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return p;
}

// The template with its Workbook stream changed by edit.
QByteArray withWorkbookStream(const std::function<void(biff8::CompoundFile::Entry&)>& edit)
{
    auto cf = biff8::CompoundFile::parse(templateBytes());
    int i = cf.findTopLevel(QStringLiteral("Workbook"));
    edit(cf.entries()[i]);
    return cf.serialize();
}

QByteArray fatLoopOnDirectory()
{
    QByteArray b = templateBytes();
    ByteView v(b);
    uint32_t dir = v.u32(0x30);
    uint32_t fatSector = v.u32(0x4C);
    setU32(b, (qsizetype(fatSector) + 1) * 512 + 4 * qsizetype(dir), dir);
    return b;
}

// Every stream of the directory after the Workbook made to name the
// Workbook's sectors: read as they are, they would hold the file many times over.
QByteArray streamsSharingOneChain()
{
    QByteArray b = templateBytes();
    ByteView v(b);
    const qsizetype directory = (qsizetype(v.u32(0x30)) + 1) * 512;
    qsizetype workbook = -1;
    for (qsizetype at = directory; at < directory + 512; at += 128) {
        if (v.u8(at + 0x42) != biff8::CompoundFile::Stream)
            continue;
        if (workbook < 0) {
            workbook = at;
            continue;
        }
        setU32(b, at + 0x74, v.u32(workbook + 0x74));
        setU32(b, at + 0x78, v.u32(workbook + 0x78));
    }
    return b;
}

} // namespace

TEST(Biff8Damaged, ClearErrorsNamingTheFile)
{
    QTemporaryDir dir;
    struct Case { const char* name; QByteArray bytes; const char* detail; };
    const Case cases[] = {
        {"empty.xls", QByteArray(), "semnatura"},
        {"text.xls", QByteArray("Nume,Suma\nIon,12\n"), "semnatura"},
        {"truncated.xls", templateBytes().left(3000), "trunchiat"},
        {"fatloop.xls", fatLoopOnDirectory(), "ciclic"},
        {"sharedchain.xls", streamsSharingOneChain(), "mai mult decat are fisierul"},
        {"encrypted.xls", withWorkbookStream([](auto& e) {
             QByteArray filepass;
             biff8::writeRecord(filepass, biff8::rt::FilePass, QByteArray(54, '\x01'));
             qsizetype afterBof = 4 + ByteView(e.data).u16(2);
             e.data.insert(afterBof, filepass);
         }), "criptat"},
        {"biff5.xls", withWorkbookStream([](auto& e) { e.name = QStringLiteral("Book"); }), "BIFF5"},
        {"encrypted.xlsx", withWorkbookStream([](auto& e) { e.name = QStringLiteral("EncryptedPackage"); }), "criptat"},
        {"biff5version.xls", withWorkbookStream([](auto& e) { setU16(e.data, 4, 0x0500); }), "versiune BIFF"},
        {"cutstream.xls", withWorkbookStream([](auto& e) { e.data.truncate(e.data.size() / 2 + 1); }), "trunchiat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString path = writeTo(dir, QString::fromLatin1(c.name), c.bytes);
        try {
            Workbook::open(path);
            ADD_FAILURE() << "opened";
        } catch (const WorkbookError& e) {
            QString msg = QString::fromUtf8(e.what());
            EXPECT_TRUE(msg.contains(path)) << e.what();
            EXPECT_TRUE(msg.contains(QLatin1String(c.detail))) << e.what();
        }
    }
}

// A file above the size limit is refused before it is read (a sparse file:
// no disk space is used).
TEST(Biff8Damaged, FileAboveTheSizeLimitIsRefusedUnread)
{
    QTemporaryDir dir;
    const QString path = writeTo(dir, QStringLiteral("mare.xls"), templateBytes());
    ASSERT_TRUE(QFile::resize(path, (qint64(256) << 20) + 1));
    try {
        Workbook::open(path);
        ADD_FAILURE() << "opened";
    } catch (const WorkbookError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String("peste limita de 256 MB"))) << e.what();
    }
}

TEST(Biff8Damaged, MutatedFilesNeverCrash)
{
    QTemporaryDir dir;
    const QByteArray good = templateBytes();
    QRandomGenerator rng(20261210);
    int opened = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray b = good;
        if (round % 3 == 0) {
            b.truncate(rng.bounded(qint64(b.size())));
        } else {
            for (int k = 0; k < 1 + round % 7; ++k)
                b[rng.bounded(qint64(b.size()))] = char(rng.bounded(256));
        }
        QString path = writeTo(dir, QStringLiteral("m.xls"), b);
        try {
            auto book = Workbook::open(path);
            ++opened;
            book->setActiveSheet(0);
            for (int r = 0; r <= book->lastRow(); ++r)
                for (int c = 0; c <= book->lastColumn(); ++c)
                    book->cellText(r, c);
            book->insertRowCopies(10, 2);
            book->save(dir.filePath(QStringLiteral("m-out.xls")));
        } catch (const WorkbookError&) {
        }
    }
    EXPECT_GT(opened, 0);   // some mutations hit bytes that do not matter
}

TEST(Biff8SharedStrings, StringsSplitOverContinueRecordsReadBack)
{
    QTemporaryDir dir;
    QStringList texts;
    texts << QString(10000, QLatin1Char('a'));                             // 8-bit, longer than one record
    texts << QString(9000, QChar(0x0103));                                 // 16-bit (a with breve)
    QString mixed;
    for (int i = 0; i < 6000; ++i) mixed += (i % 3) ? QChar('x') : QChar(0x021B);
    texts << mixed;
    for (int i = 0; i < 3000; ++i) texts << QStringLiteral("Sir %1 ș").arg(i);   // many boundaries
    texts << QString();

    auto book = Workbook::open(QStringLiteral(HESTAVO_TEST_DATA "/test-lista.xls"));
    book->setActiveSheet(2);
    for (int i = 0; i < texts.size(); ++i)
        book->setCell(10 + i, 4, CellValue::fromText(texts[i]));
    EXPECT_THROW(book->setCell(8, 4, CellValue::fromText(QString(32768, QLatin1Char('z')))), WorkbookError);
    QString out = dir.filePath(QStringLiteral("sst.xls"));
    book->save(out);

    auto again = Workbook::open(out);
    again->setActiveSheet(2);
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_EQ(again->cellText(10 + i, 4), texts[i]) << i;

    QJsonObject x = checkers::xlrd(out);
    ASSERT_FALSE(x.contains(QStringLiteral("error"))) << x[QStringLiteral("error")].toString().toStdString();
    EXPECT_TRUE(checkers::xlrdLogClean(x)) << x[QStringLiteral("log")].toString().toStdString();
    QJsonArray cells = x[QStringLiteral("sheets")].toArray()[2].toObject()[QStringLiteral("cells")].toArray();
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_EQ(cells[10 + i].toArray()[4].toArray()[1].toString(), texts[i]) << i;
}

TEST(Biff8Limits, RowsBeyondTheFormatAreRefused)
{
    auto book = Workbook::open(QStringLiteral(HESTAVO_TEST_DATA "/test-lista.xls"));
    EXPECT_THROW(book->insertRowCopies(10, 65536 - 13), WorkbookError);
    EXPECT_THROW(book->setCell(65536, 0, CellValue::fromNumber(1)), WorkbookError);
    EXPECT_THROW(book->setCell(0, 256, CellValue::fromNumber(1)), WorkbookError);
    // Right up to the limit is fine.
    book->insertRowCopies(10, 65536 - 14);
    EXPECT_EQ(book->lastRow(), 65535);
    try {
        book->insertRowCopies(10, 1);
        ADD_FAILURE();
    } catch (const WorkbookError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String("65536"))) << e.what();
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QLatin1String("test-lista.xls"))) << e.what();
    }
}
