// Filling a combo box with the distinct values of a table column, and
// selecting an item by its text.
#pragma once

#include <QString>

class QComboBox;

// Appends every non-blank value of SELECT DISTINCT column FROM table [WHERE
// condition] ORDER BY column to the list and selects the first item.
// Engine failures propagate as engine::Error.
void FillComboDistinct(QComboBox* list, const QString& quotedTablePath, const QString& column,
                       const QString& condition);
// Selects the item equal to text; no item is selected when none is equal.
void SelectComboText(QComboBox* list, const QString& text);
