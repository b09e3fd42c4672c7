// Dialog "Referate" of the report listing: the range of report numbers and
// the date printed on the reports, all kept between openings.
#pragma once

#include "register/ReportList.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;

class ReportRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportRangeDialog(QWidget* parent = nullptr);
    ~ReportRangeDialog() override;

    hestavo::ReportListing input() const;
    // "&Listeaza": a hint for a reversed range, otherwise confirmed.
    void confirm();

    QLineEdit* fromNumber;
    QLineEdit* toNumber;
    QDateEdit* date;
};

// The register's "Listeaza Re&ferate": the dialog, then the reports written
// to a fresh temporary "Referat" file and opened for the user.
void ListReports(QWidget* parent);
