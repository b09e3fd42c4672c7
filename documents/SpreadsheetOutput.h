// SpreadsheetOutput: the spreadsheet output component. Opens a template workbook,
// replaces markers, fills the "#DBF" data row from a query result, writes
// cells and saves the result to a fresh temporary file (OutputFile), which it
// can hand to the desktop to open. One workbook is open at a time; the
// built-in workbook engine always does the work (no spreadsheet program is
// automated). Engine and file errors raise workbook::WorkbookError.
#pragma once

#include "engine/ResultSet.h"
#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"

#include <QString>
#include <functional>
#include <memory>

class SpreadsheetOutput {
public:
    using CellValue = workbook::CellValue;

    SpreadsheetOutput();
    ~SpreadsheetOutput();

    // False when the template does not exist (nothing is opened then).
    // Otherwise chooses OutputFile, opens the template, makes sheet 1 active
    // and sets BlankValue to empty text. useExcel asks for a spreadsheet
    // program; the built-in engine serves instead.
    bool OpenWorkbook(const QString& templatePath, bool useExcel);
    // 1-based; ignored when the workbook has fewer sheets.
    void SelectSheet(int n);
    void ReplaceMarker(const QString& marker, const CellValue& value);
    // 1-based row and column of the active sheet.
    void SetCell(int row, int col, const CellValue& value);
    void FillRows(engine::ResultSet& resultSet);
    void FillRows(workbook::RecordSource& records);
    // Saves to OutputFile and releases the workbook; with show, opens it.
    void CloseWorkbook(bool show);

    int SheetCount() const;
    void DeleteActiveSheet();
    // The open workbook (null when none), for reading cells directly.
    workbook::Workbook* Book() { return m_book.get(); }
    bool IsOpen() const { return m_book != nullptr; }
    bool AutomationMode() const { return m_automation; }

    CellValue BlankValue;
    QString OutputFile;

    // How fresh temporary files are named and how a file is shown: the
    // program's FreshTempFile and ShellOpen; tests may replace them.
    static std::function<QString(const QString& stem, const QString& extension)> FreshTempFile;
    static std::function<void(const QString& path)> ShellOpen;

private:
    std::unique_ptr<workbook::Workbook> m_book;
    bool m_automation = false;
};

// A query result as the records of a data row: text columns give their text,
// other columns their number (dates their day number).
class ResultSetRecords : public workbook::RecordSource {
public:
    explicit ResultSetRecords(engine::ResultSet& rs) : m_rs(rs) {}
    int recordCount() override { return m_rs.recordCount(); }
    int position() override { return m_rs.position(); }
    void restore(int position) override
    {
        m_rs.first();
        for (int i = 0; i < position && !m_rs.eof(); ++i) m_rs.next();
    }
    void first() override { m_rs.first(); }
    void next() override { m_rs.next(); }
    bool eof() override { return m_rs.eof(); }
    QStringList columnNames() override
    {
        QStringList out;
        for (const std::string& n : m_rs.columnNames()) out << QString::fromStdString(n);
        return out;
    }
    bool isTextColumn(const QString& column) override
    {
        return m_rs.columnType(column.toStdString()) == engine::ColumnType::Char;
    }
    QString text(const QString& column) override { return QString::fromStdString(m_rs.text(column.toStdString())); }
    std::optional<double> number(const QString& column) override
    {
        const std::string c = column.toStdString();
        if (m_rs.columnType(c) == engine::ColumnType::Date) {
            std::optional<engine::Date> d = m_rs.date(c);
            if (!d || !d->isValid()) return std::nullopt;
            return double(d->dayNumber());
        }
        if (m_rs.isNull(c)) return std::nullopt;
        return m_rs.number(c);
    }

private:
    engine::ResultSet& m_rs;
};

inline void SpreadsheetOutput::FillRows(engine::ResultSet& resultSet)
{
    ResultSetRecords records(resultSet);
    FillRows(records);
}
