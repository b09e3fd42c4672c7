// Dialog "Selectare cereri": which applications the payment list and the
// treasury report take (a locality or all, a range of initial letters) and,
// for the payment list only, the period its title names. Created once per
// run: the letters are kept between openings, the localities rebuilt.
#pragma once

#include "documents/PaymentSelection.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLineEdit;

class PaymentListDialog : public QDialog {
    Q_OBJECT
public:
    static PaymentListDialog& instance();

    // Fills the localities of the month and shows or hides the period panel
    // (filled from setting PERSTAT); what Ask shows.
    void prepare(int monthSerial, bool withPeriod);
    // Shows the dialog; the selection when "&Am ales" confirmed it.
    std::optional<PaymentSelection> Ask(int monthSerial, bool withPeriod);
    // "&Am ales": stores the period as PERSTAT when its panel is shown, hides
    // the panel, closes accepted.
    void confirm();

    PaymentSelection selection() const;
    QString period() const;

    QComboBox* Localit;
    QComboBox* Lit1;
    QComboBox* Lit2;
    QWidget* Stat1;
    QLineEdit* PerioadaS;

private:
    explicit PaymentListDialog(QWidget* parent = nullptr);
};

// The register's "Listeaza Stat de plata": asks the selection and the period,
// fills the list and opens it; a refusal or failure is shown.
void ShowPaymentList(int monthSerial);
