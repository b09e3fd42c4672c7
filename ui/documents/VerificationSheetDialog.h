// Dialog "Fisa de verificare in teren": the period the field verification
// covers (from the application's date to today unless changed). Enter moves
// to the next field; on the button it lists.
#pragma once

#include "register/VerificationSheet.h"

#include <QDialog>

class QDateEdit;
class QKeyEvent;

class VerificationSheetDialog : public QDialog {
    Q_OBJECT
public:
    VerificationSheetDialog(const QDate& from, const QDate& to, QWidget* parent = nullptr);

    // "&Listeaza": a hint for a period that ends before it starts, otherwise confirmed.
    void confirm();

    QDateEdit* fromDate;
    QDateEdit* toDate;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The register's "Fisa de verificare in teren": the dialog, then the sheet
// written to a fresh temporary "FisaV" file and opened by the desktop (never
// in the word processor).
void ListVerificationSheet(qint64 application, QWidget* parent);
