// The parts hanging on a worksheet that hold row numbers of their own: the
// drawing (images, charts: anchors of <xdr:from> and <xdr:to>), the comments
// (<comment ref>) and the legacy VML drawing of the comment boxes (<x:Row>,
// the rows of <x:Anchor>). They move with a row insertion like cells.
#pragma once

#include "workbook/xlsx/FormulaText.h"
#include "workbook/xlsx/Package.h"

namespace workbook::xlsx {

void shiftAnchoredParts(Package& package, const QString& sheetPart, const RowShift& shift);

// The parts a part's relationships point at, resolved to package names, by
// relationship type (the last segment: "drawing", "comments", "vmlDrawing").
QList<QPair<QString, QString>> relatedParts(const Package& package, const QString& part);

} // namespace workbook::xlsx
