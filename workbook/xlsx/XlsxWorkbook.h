// An .xlsx workbook (Office Open XML spreadsheet) opened from its zip package.
// Parts the engine does not change are copied unchanged; calcChain.xml is
// dropped (with its relationship and content type) once formulas move.
#pragma once

#include "workbook/Workbook.h"
#include "workbook/xlsx/Package.h"
#include "workbook/xlsx/Recalculation.h"
#include "workbook/xlsx/Sheet.h"

#include <QMap>
#include <vector>

namespace workbook::xlsx {

class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const QString& path);

    QString path() const override { return m_path; }
    bool isXlsx() const override { return true; }
    int sheetCount() const override { return int(m_sheets.size()); }
    QString sheetName(int sheet) const override;
    int activeSheet() const override { return m_active; }
    void setActiveSheet(int sheet) override;
    void deleteActiveSheet() override;
    int lastRow() const override;
    int lastColumn() const override;
    std::vector<std::pair<int, int>> presentCells() const override { return positionsOf(m_sheets[m_active].rows()); }
    CellValue cell(int row, int col) const override;
    void setCell(int row, int col, const CellValue& value) override;
    void insertRowCopies(int row, int count) override;
    TextLayout textLayout(int row, int col) const override;
    double columnWidthPoints(int col) const override;
    double rowHeightPoints(int row) const override;
    void setRowHeightPoints(int row, double points) override;
    void save(const QString& path) override;

private:
    struct SheetRef {
        QString name;
        QString relId;
        QString part;      // e.g. xl/worksheets/sheet1.xml
    };
    [[noreturn]] void fail(const std::exception& e) const;
    WorkbookCells cells();

    QString m_path;
    Package m_package;
    QString m_workbookXml;
    QString m_relsXml;
    std::vector<SheetRef> m_refs;
    std::vector<Sheet> m_sheets;
    std::vector<QString> m_sharedStrings;
    std::vector<bool> m_dateStyles;
    std::vector<TextLayout> m_styleLayouts;   // per cellXfs entry
    int m_active = 0;
    bool m_formulasMoved = false;
};

} // namespace workbook::xlsx
