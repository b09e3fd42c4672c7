// The shipped templates against what the commands that fill them rely on:
// every placeholder whole on one line of the RTF documents (filled through the
// RTF engine, none may survive), every marker, data row and positioned cell of
// the workbooks (read with the workbook engine), the empty payment table, and
// every file opened by LibreOffice without error.
#include "TemplateCases.h"

#include "data/Files.h"
#include "documents/RtfTemplate.h"
#include "documents/TemplateStore.h"
#include "engine/storage/PaymentFile.h"
#include "workbook/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray resourceBytes(const QString& name)
{
    InitTemplateResources();
    const QString path = findResource(name, QStringLiteral("Model"));
    QFile f(path);
    return !path.isEmpty() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The resource written to a file of the folder, as the program writes it.
QString extract(const QTemporaryDir& dir, const QString& name, const QString& extension)
{
    const QString path = dir.filePath(name + extension);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(resourceBytes(name));
    return path;
}

int braceBalance(const QByteArray& line) { return int(line.count('{')) - int(line.count('}')); }

QString cellAt(workbook::Workbook& book, int row, int col) { return book.cellText(row - 1, col - 1).trimmed(); }

// 1-based row of the "#DBF" cell on the active sheet; 0 when none.
int dataRow(workbook::Workbook& book)
{
    for (int r = 0; r <= book.lastRow(); ++r)
        for (int c = 0; c <= book.lastColumn(); ++c)
            if (book.cellText(r, c).trimmed().toUpper() == QLatin1String("#DBF"))
                return r + 1;
    return 0;
}

QString allText(workbook::Workbook& book)
{
    QString text;
    for (int s = 0; s < book.sheetCount(); ++s) {
        book.setActiveSheet(s);
        for (int r = 0; r <= book.lastRow(); ++r)
            for (int c = 0; c <= book.lastColumn(); ++c)
                text += book.cellText(r, c) + QLatin1Char('\n');
    }
    return text;
}

} // namespace

TEST(ShippedTemplates, RtfDocumentsCarryTheirPlaceholdersWhole)
{
    QTemporaryDir dir;
    for (const RtfCase& c : rtfCases()) {
        SCOPED_TRACE(c.resource.toStdString());
        const QByteArray bytes = resourceBytes(c.resource);
        ASSERT_FALSE(bytes.isEmpty());
        const QList<QByteArray> lines = bytes.split('\n');

        // The engine's three assumptions: header up to the first "\pard" line,
        // the outer group closed by the last line, tags whole on a line.
        int firstPard = -1;
        int depth = 0;
        int closedAt = -1;
        int markerAt = -1;
        for (int i = 0; i < lines.size(); ++i) {
            if (firstPard < 0 && lines[i].contains("\\pard"))
                firstPard = i;
            depth += braceBalance(lines[i]);
            if (depth == 0 && closedAt < 0 && i > 0)
                closedAt = i;
            if (lines[i].contains("terminoiu"))
                markerAt = i;
        }
        ASSERT_GT(firstPard, 0) << "no header before the body";
        EXPECT_EQ(closedAt, int(lines.size()) - 2) << "outer group must close on the last line";
        EXPECT_EQ(markerAt >= 0, c.marker);
        for (const QString& tag : c.tags) {
            int at = -1;
            for (int i = 0; i < lines.size() && at < 0; ++i)
                if (lines[i].contains(tag.toLatin1()))
                    at = i;
            EXPECT_GT(at, firstPard) << tag.toStdString() << " is not written whole in the body";
            if (c.marker) {
                EXPECT_LT(at, markerAt) << tag.toStdString() << " stands after the marker, where nothing is replaced";
            }
        }
        // Escapes only: the file is plain ASCII, diacritics as Windows-1250 escapes.
        for (char ch : bytes)
            ASSERT_GE(static_cast<unsigned char>(ch), 0x0A) << "control byte";
        for (char ch : bytes)
            ASSERT_LT(static_cast<unsigned char>(ch), 0x80) << "raw 8-bit byte instead of an escape";
        EXPECT_TRUE(bytes.contains("\\ansicpg1250"));

        // Filled through the engine, with a distinct value per tag, nothing of
        // the list stays and every value arrives.
        documents::RtfTemplate rtf;
        rtf.setRTFSursa(extract(dir, c.resource, ".rtf"));
        rtf.setRTFDest(dir.filePath(c.resource + "-filled.rtf"));
        ASSERT_TRUE(rtf.BeginDocument());
        // Tags match without regard to case: "[JUDET]" and "[Judet]" are one tag.
        QStringList distinct;
        for (const QString& tag : c.tags)
            if (!distinct.contains(tag.toUpper()))
                distinct << tag.toUpper();
        for (int i = 0; i < distinct.size(); ++i)
            rtf.AddTag(distinct[i], QStringLiteral("Q%1Q").arg(i, 3, 10, QLatin1Char('0')));
        if (c.marker)
            rtf.AppendBodyToMarker(QStringLiteral("terminoiu"));
        else
            rtf.AppendBody(1);
        rtf.EndDocument();
        QFile out(rtf.RTFDest());
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        const QByteArray filled = out.readAll();
        for (int i = 0; i < distinct.size(); ++i) {
            EXPECT_FALSE(filled.toUpper().contains(distinct[i].toLatin1())) << distinct[i].toStdString() << " left";
            EXPECT_TRUE(filled.contains(QStringLiteral("Q%1Q").arg(i, 3, 10, QLatin1Char('0')).toLatin1()))
                << distinct[i].toStdString() << " not filled";
        }
        EXPECT_FALSE(filled.contains("terminoiu"));
    }
}

TEST(ShippedTemplates, WorkbooksCarryTheirMarkersRowsAndCells)
{
    QTemporaryDir dir;
    for (const WorkbookCase& c : workbookCases()) {
        SCOPED_TRACE(c.resource.toStdString());
        const QString file = extract(dir, c.resource, c.resource == "EONGaz" ? ".xlsx" : ".xls");
        std::unique_ptr<workbook::Workbook> book;
        ASSERT_NO_THROW(book = workbook::Workbook::open(file));
        EXPECT_EQ(book->isXlsx(), c.resource == "EONGaz");
        ASSERT_EQ(book->sheetCount(), c.sheets.size());
        for (int s = 0; s < c.sheets.size(); ++s)
            EXPECT_EQ(book->sheetName(s), c.sheets[s]);

        const QString text = allText(*book);
        for (const QString& m : c.markers)
            EXPECT_TRUE(text.contains(m)) << m.toStdString();

        for (const SheetRow& row : c.dataRows) {
            book->setActiveSheet(row.sheet - 1);
            const int r = dataRow(*book);
            ASSERT_GT(r, 0) << "no #DBF on sheet " << row.sheet;
            if (row.row) {
                EXPECT_EQ(r, row.row) << "sheet " << row.sheet;
            }
            for (int col = 1; col <= row.cells.size(); ++col) {
                const QString cell = cellAt(*book, r, col);
                if (row.cells[col - 1].isEmpty())
                    EXPECT_FALSE(cell.startsWith('#') || cell.startsWith('%')) << "sheet " << row.sheet << " col " << col;
                else
                    EXPECT_EQ(cell, row.cells[col - 1]) << "sheet " << row.sheet << " col " << col;
            }
            EXPECT_EQ(book->lastColumn() + 1, row.cells.size()) << "#DBF after the last column, sheet " << row.sheet;
        }
        for (const PlacedText& p : c.placed) {
            book->setActiveSheet(p.sheet - 1);
            EXPECT_TRUE(cellAt(*book, p.row, p.col).contains(p.text))
                << "sheet " << p.sheet << " row " << p.row << " col " << p.col << " holds '"
                << cellAt(*book, p.row, p.col).toStdString() << "', wants " << p.text.toStdString();
        }
    }
}

TEST(ShippedTemplates, GridsAreWritableWhereTheReportsCount)
{
    // The statistics grids receive numbers cell by cell: the cells the reports
    // write are inside the bordered grid, the totals below are formulas.
    QTemporaryDir dir;
    struct Grid {
        const char* resource;
        int sheet, top, bottom, left, right;
        int totalRow;
    };
    const Grid grids[] = {{"AJPIS", 6, 7, 61, 5, 10, 67}, {"Anexa22", 1, 8, 62, 5, 22, 63},
                          {"Anexa23", 1, 9, 32, 4, 14, 7}, {"Anexa24", 1, 9, 32, 4, 14, 8}};
    for (const Grid& g : grids) {
        SCOPED_TRACE(g.resource);
        auto book = workbook::Workbook::open(extract(dir, g.resource, ".xls"));
        book->setActiveSheet(g.sheet - 1);
        for (int r = g.top; r <= g.bottom; ++r)
            for (int c = g.left; c <= g.right; ++c) {
                const workbook::CellValue v = book->cell(r - 1, c - 1);
                EXPECT_FALSE(v.toText().startsWith('[') || v.toText().startsWith('#')) << r << "," << c;
            }
        // the totals row is computed: its value is a number
        bool number = false;
        book->cell(g.totalRow - 1, g.left - 1).toText().toDouble(&number);
        EXPECT_TRUE(number) << "totals row " << g.totalRow << " reads '"
                            << book->cell(g.totalRow - 1, g.left - 1).toText().toStdString() << "'";
    }
}

TEST(ShippedTemplates, PaymentTableIsTheEmptyTreasuryFile)
{
    const QByteArray bytes = resourceBytes(QStringLiteral("ModelTrz"));
    const std::string expected = engine::storage::emptyPaymentFile();
    ASSERT_EQ(size_t(bytes.size()), expected.size());
    // Bytes 1 to 3 hold the date the table was last written.
    for (size_t i = 0; i < expected.size(); ++i)
        if (i < 1 || i > 3) {
            ASSERT_EQ(bytes[qsizetype(i)], expected[i]) << "byte " << i;
        }
}

TEST(ShippedTemplates, EveryTemplateOpensInLibreOffice)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice not installed";
    QTemporaryDir dir;
    QStringList files;
    for (const RtfCase& c : rtfCases())
        files << extract(dir, c.resource, ".rtf");
    for (const WorkbookCase& c : workbookCases())
        files << extract(dir, c.resource, c.resource == "EONGaz" ? ".xlsx" : ".xls");
    for (const EditableTemplate& t : EditableTemplates())
        ASSERT_TRUE(files.contains(dir.filePath(t.resource + QFileInfo(t.file).suffix().prepend('.'))))
            << t.resource.toStdString() << " has no case";

    const QString profile = QStringLiteral("/tmp/lo-templates-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(dir.filePath("pdf"));
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice, QStringList{"-env:UserInstallation=file://" + profile, "--headless", "--convert-to", "pdf",
                                 "--outdir", dir.filePath("pdf")} + files);
    ASSERT_TRUE(p.waitForFinished(600000));
    const QString log = QString::fromUtf8(p.readAll());
    QDir(profile).removeRecursively();
    for (const QString& f : files) {
        const QFileInfo pdf(dir.filePath("pdf/" + QFileInfo(f).completeBaseName() + ".pdf"));
        EXPECT_TRUE(pdf.exists() && pdf.size() > 1000) << f.toStdString() << "\n" << log.toStdString();
    }
    EXPECT_FALSE(log.contains(QStringLiteral("Error"), Qt::CaseInsensitive)) << log.toStdString();
}

TEST(ShippedTemplates, LegislationTextsArePdfsWithoutPlaceholders)
{
    InitTemplateResources();
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QTemporaryDir dir;
    for (const char* name : {"L226", "HG1073", "CererePDF"}) {
        SCOPED_TRACE(name);
        QFile f(findResource(QString::fromLatin1(name), QStringLiteral("LEGE")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        ASSERT_TRUE(pdf.startsWith("%PDF-"));
        if (pdftotext.isEmpty())
            continue;
        const QString copy = dir.filePath(QString::fromLatin1(name) + ".pdf");
        QFile out(copy);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(pdf);
        out.close();
        QProcess p;
        p.start(pdftotext, {copy, QStringLiteral("-")});
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\\[[A-Za-z_0-9]{2,}\\]")))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("terminoiu")));
        if (QByteArray(name) != "CererePDF")
            EXPECT_TRUE(text.contains(QStringLiteral("legislatie.just.ro"))) << "the official source is named";
        else
            EXPECT_TRUE(text.contains(QStringLiteral("CERERE"))) << text.left(300).toStdString();
    }
}

TEST(ShippedTemplates, EverySheetPrintsItsAreaWithItsHeaderRows)
{
    // xlrd reads the .xls templates without complaint; every sheet has a
    // print area, and every list sheet repeats its header rows on each page.
    QTemporaryDir dir;
    const char* script =
        "import sys, io, xlrd\n"
        "log = io.StringIO()\n"
        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log, verbosity=1)\n"
        "print('sheets', b.nsheets)\n"
        "for n in b.name_obj_list: print(n.name, n.scope)\n"
        "print('log', log.getvalue().count('WARNING') + log.getvalue().count('ERROR'))\n";
    for (const WorkbookCase& c : workbookCases()) {
        if (c.resource == "EONGaz")
            continue;   // .xlsx, read by the workbook engine above
        SCOPED_TRACE(c.resource.toStdString());
        QProcess py;
        py.start(QStringLiteral(HESTAVO_PYTHON), {"-c", QString::fromLatin1(script), extract(dir, c.resource, ".xls")});
        ASSERT_TRUE(py.waitForFinished(60000));
        const QStringList lines = QString::fromUtf8(py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(lines.isEmpty()) << py.readAllStandardError().toStdString();
        EXPECT_EQ(lines.last(), QString("log 0"));
        for (int s = 0; s < c.sheets.size(); ++s) {
            EXPECT_TRUE(lines.contains(QStringLiteral("Print_Area %1").arg(s))) << "sheet " << s + 1;
            bool listSheet = false;
            for (const SheetRow& r : c.dataRows)
                listSheet = listSheet || r.sheet == s + 1;
            if (listSheet) {
                EXPECT_TRUE(lines.contains(QStringLiteral("Print_Titles %1").arg(s))) << "sheet " << s + 1;
            }
        }
    }
}

TEST(ShippedTemplates, FilledDocumentsOpenInWriterWithTheirValues)
{
    // Every RTF template filled through the engine as its command fills it
    // (the decisions and reports twice, with a page break between), then
    // read back by LibreOffice: the values are there, no placeholder is left.
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (soffice.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";
    QTemporaryDir dir;
    QStringList outputs;
    const std::vector<RtfCase> cases = rtfCases();
    for (const RtfCase& c : cases) {
        QStringList distinct;
        for (const QString& tag : c.tags)
            if (!distinct.contains(tag.toUpper()))
                distinct << tag.toUpper();
        documents::RtfTemplate rtf;
        rtf.setRTFSursa(extract(dir, c.resource, ".rtf"));
        rtf.setRTFDest(dir.filePath(c.resource + "-filled.rtf"));
        ASSERT_TRUE(rtf.BeginDocument());
        for (int copy = 1; copy <= (c.marker ? 1 : 2); ++copy) {
            if (copy > 1)
                rtf.AppendPageBreak();
            for (int i = 0; i < distinct.size(); ++i)
                rtf.AddTag(distinct[i], QStringLiteral("v%1x%2").arg(copy).arg(i));
            if (c.marker)
                rtf.AppendBodyToMarker(QStringLiteral("terminoiu"));
            else
                rtf.AppendBody(1);
        }
        rtf.EndDocument();
        outputs << rtf.RTFDest();
    }
    const QString profile = QStringLiteral("/tmp/lo-filled-rtf-%1").arg(QCoreApplication::applicationPid());
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(soffice, QStringList{"-env:UserInstallation=file://" + profile, "--headless", "--convert-to", "pdf",
                                 "--outdir", dir.filePath("pdf")} + outputs);
    ASSERT_TRUE(p.waitForFinished(600000));
    QDir(profile).removeRecursively();
    for (const RtfCase& c : cases) {
        SCOPED_TRACE(c.resource.toStdString());
        const QString pdf = dir.filePath("pdf/" + c.resource + "-filled.pdf");
        ASSERT_TRUE(QFile::exists(pdf));
        QProcess t;
        t.start(pdftotext, {pdf, QStringLiteral("-")});
        ASSERT_TRUE(t.waitForFinished(60000));
        const QString text = QString::fromUtf8(t.readAllStandardOutput());
        const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        if (!c.marker) {
            // each copy starts on its own page
            const int second = pages.indexOf(QRegularExpression(QStringLiteral("(?s).*v2x\\d.*")));
            ASSERT_GT(second, 0) << "the second copy does not start a new page";
            EXPECT_FALSE(pages[second].contains(QStringLiteral("v1x"))) << "the copies share a page";
        }
        for (const QString& tag : c.tags)
            EXPECT_FALSE(text.contains(tag, Qt::CaseInsensitive)) << tag.toStdString() << " left in\n" << text.toStdString();
        QStringList distinct;
        for (const QString& tag : c.tags)
            if (!distinct.contains(tag.toUpper()))
                distinct << tag.toUpper();
        for (int i = 0; i < distinct.size(); ++i)
            EXPECT_TRUE(text.contains(QStringLiteral("v1x%1").arg(i), Qt::CaseInsensitive))
                << distinct[i].toStdString() << " not shown";
        EXPECT_FALSE(text.contains(QStringLiteral("terminoiu")));
    }
}
