#include "documents/SpreadsheetOutput.h"

#include "data/Files.h"
#include "data/Shell.h"

#include <QFileInfo>

std::function<QString(const QString&, const QString&)> SpreadsheetOutput::FreshTempFile =
    [](const QString& stem, const QString& extension) { return ::FreshTempFile(stem, extension); };

std::function<void(const QString&)> SpreadsheetOutput::ShellOpen = [](const QString& path) { ::ShellOpen(path); };

SpreadsheetOutput::SpreadsheetOutput() = default;
SpreadsheetOutput::~SpreadsheetOutput() = default;

bool SpreadsheetOutput::OpenWorkbook(const QString& templatePath, bool useExcel)
{
    m_book.reset();
    if (!QFileInfo(templatePath).isFile())
        return false;
    // No spreadsheet program is automated: the built-in engine is used, as
    // when starting the program fails.
    (void)useExcel;
    m_automation = false;
    std::unique_ptr<workbook::Workbook> book = workbook::Workbook::open(templatePath);
    // An .xlsx template gives an .xlsx output: the content decides the extension.
    QString output = FreshTempFile(QStringLiteral("XLSTmp"), book->isXlsx() ? QStringLiteral(".xlsx") : QStringLiteral(".xls"));
    if (output.isEmpty())
        throw workbook::WorkbookError("Nu pot alege un fisier temporar pentru registrul completat");
    OutputFile = output;
    m_book = std::move(book);
    m_book->setActiveSheet(0);
    BlankValue = CellValue::fromText(QString());
    return true;
}

void SpreadsheetOutput::SelectSheet(int n)
{
    if (m_book && n >= 1 && n <= m_book->sheetCount())
        m_book->setActiveSheet(n - 1);
}

void SpreadsheetOutput::ReplaceMarker(const QString& marker, const CellValue& value)
{
    if (m_book)
        workbook::replaceMarker(*m_book, marker, value);
}

void SpreadsheetOutput::SetCell(int row, int col, const CellValue& value)
{
    if (m_book)
        m_book->setCell(row - 1, col - 1, value);
}

void SpreadsheetOutput::FillRows(workbook::RecordSource& records)
{
    if (m_book)
        workbook::fillDataRow(*m_book, records, BlankValue);
}

void SpreadsheetOutput::CloseWorkbook(bool show)
{
    if (!m_book)
        return;
    std::unique_ptr<workbook::Workbook> book = std::move(m_book);
    book->save(OutputFile);
    if (show)
        ShellOpen(OutputFile);
}

int SpreadsheetOutput::SheetCount() const
{
    return m_book ? m_book->sheetCount() : 0;
}

void SpreadsheetOutput::DeleteActiveSheet()
{
    if (m_book)
        m_book->deleteActiveSheet();
}
