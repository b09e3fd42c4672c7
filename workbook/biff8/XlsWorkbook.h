// A BIFF8 .xls workbook (Excel 97 and later, as Excel and LibreOffice write
// it) opened from its compound file. Streams other than Workbook are kept
// byte for byte. Refuses encrypted workbooks (FILEPASS), BIFF5 and older.
#pragma once

#include "workbook/Workbook.h"
#include "workbook/biff8/CompoundFile.h"
#include "workbook/biff8/Globals.h"
#include "workbook/biff8/Worksheet.h"

namespace workbook::biff8 {

class XlsWorkbook : public Workbook {
public:
    explicit XlsWorkbook(const QString& path);   // reads the file
    XlsWorkbook(const QString& path, const QByteArray& bytes);

    QString path() const override { return m_path; }
    bool isXlsx() const override { return false; }
    int sheetCount() const override { return int(m_sheets.size()); }
    QString sheetName(int sheet) const override;
    int activeSheet() const override { return m_active; }
    void setActiveSheet(int sheet) override;
    void deleteActiveSheet() override;
    int lastRow() const override { return m_sheets[m_active].lastRow(); }
    int lastColumn() const override { return m_sheets[m_active].lastColumn(); }
    std::vector<std::pair<int, int>> presentCells() const override { return positionsOf(m_sheets[m_active].rows()); }
    CellValue cell(int row, int col) const override;
    void setCell(int row, int col, const CellValue& value) override;
    void insertRowCopies(int row, int count) override;
    TextLayout textLayout(int row, int col) const override;
    double columnWidthPoints(int col) const override;
    double rowHeightPoints(int row) const override;
    void setRowHeightPoints(int row, double points) override;
    void save(const QString& path) override;

    QByteArray serialize();

private:
    void load(const QByteArray& bytes);
    [[noreturn]] void fail(const std::exception& e) const;
    QString m_path;
    CompoundFile m_cf;
    int m_stream = -1;
    Globals m_globals;
    std::vector<Worksheet> m_sheets;
    int m_active = 0;
    bool m_changed = false;
};

// Writes bytes to path through a temporary file in the same folder and a
// rename, so a failed save never leaves a half-written file.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace workbook::biff8
