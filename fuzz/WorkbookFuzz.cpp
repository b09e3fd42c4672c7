// A spreadsheet workbook (.xls, or .xlsx when built with HESTAVO_FUZZ_XLSX):
// opened and filled as a document template (single-value markers, the
// "#DBF" data row with three records, saved), then given twice to the annex
// adder as an annex of its own kind. Any bytes must fill or fail with
// WorkbookError / ExportError; the fill follows the cells present, whatever
// used range the file declares.
#include "ProgramFolder.h"

#include "documents/SpreadsheetOutput.h"
#include "reports/AnnexAdder.h"
#include "reports/ExportError.h"
#include "reports/MemoryRecords.h"
#include "workbook/WorkbookError.h"

namespace {

using workbook::CellValue;

#ifdef HESTAVO_FUZZ_XLSX
const char* const kName = "Model.xlsx";
#else
const char* const kName = "Model.xls";
#endif

void fillAsTemplate(const QString& path)
{
    SpreadsheetOutput out;
    if (!out.OpenWorkbook(path, false))
        return;
    out.ReplaceMarker(QStringLiteral("#PRIMARIA"), CellValue::fromText(QStringLiteral("PRIMARIA COMUNEI DEJ")));
    out.ReplaceMarker(QStringLiteral("#TOTAL"), CellValue::fromNumber(1250.5));
    hestavo::MemoryRecords records({QStringLiteral("TITULAR"), QStringLiteral("CNP"), QStringLiteral("TOTAL")});
    records.append({QStringLiteral("POPESCU ION"), QStringLiteral("1800101123456"), QStringLiteral("250")});
    records.append({QStringLiteral("ŞTEFAN ANA"), QStringLiteral("2800101123456"), QStringLiteral("0")});
    records.append({QStringLiteral("RUS MIHAI"), QString(), QStringLiteral("12,5")});
    out.FillRows(records);
    out.CloseWorkbook(false);
    QFile::remove(out.OutputFile);
}

void addAsAnnex(const QString& path)
{
    const int number = hestavo::AnnexNumber(path);
    const int kind = (number == 16 || number == 23 || number == 24) ? number : 15;
    const QString copy = QFileInfo(path).path() + "/Copie." + QFileInfo(path).suffix();
    fuzz::copyFile(path, copy);
    const QString combined = hestavo::AddAnnexes(kind, {path, copy}, true);
    QFile::remove(combined);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    fuzz::freshProgramFolder(QStringLiteral("workbook"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = paths().dataFolder + "/" + kName;
    fuzz::writeFile(path, fuzz::bytesOf(data, size));
    try {
        fillAsTemplate(path);
    } catch (const workbook::WorkbookError&) {
    }
    try {
        addAsAnnex(path);
    } catch (const workbook::WorkbookError&) {
    } catch (const hestavo::ExportError&) {
    }
    return 0;
}
