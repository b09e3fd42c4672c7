// Dialog "Export Grila": the format of a grid export (a file of a common
// format, or the clipboard).
#pragma once

#include "workbook/export/GridExport.h"

#include <QDialog>

class QComboBox;

class GridExportDialog : public QDialog {
    Q_OBJECT
public:
    explicit GridExportDialog(QWidget* parent = nullptr);
    bool toClipboard() const;
    workbook::GridFormat format() const;   // when not to the clipboard
    QString fileFilter() const;

    QComboBox* formatList;
};
