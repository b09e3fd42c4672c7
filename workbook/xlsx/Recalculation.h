// Stores fresh results (<v> with its type) in the formula cells of an .xlsx
// workbook; a formula the calculator cannot evaluate is left without a result
// for the spreadsheet program to calculate on load.
#pragma once

#include "workbook/xlsx/Sheet.h"

#include <vector>

namespace workbook::xlsx {

struct DefinedName {
    QString name;
    int localSheet = -1;   // -1: the whole workbook
    QString formula;
};

struct WorkbookCells {
    std::vector<Sheet>* sheets;
    std::vector<QString> sheetNames;
    std::vector<DefinedName> names;
    const std::vector<QString>* sharedStrings;
};

void recalculate(const WorkbookCells& book);

} // namespace workbook::xlsx
