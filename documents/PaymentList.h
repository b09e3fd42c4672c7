// The payment list ("Stat de plata") of the working month: the data folder's
// "Stat.xls" filled on its three sheets (all paid applications, those with
// the aid, those with the wood/fuel supplement), with the town hall's heading
// and signatories.
#pragma once

#include "documents/PaymentSelection.h"

#include <QString>

struct PaymentListChoice {
    PaymentSelection selection;
    QString period;   // the text of "Stat de plata pe luna"
};

struct PaymentListSheet {
    int rows = 0;
    qint64 totalCents = 0;     // TOTAL of the rows (sheets 1 and 2)
    qint64 supplementCents = 0; // SUMAL of the rows (sheets 1 and 3)
};

struct PaymentListResult {
    QString file;               // the filled workbook (a fresh temporary file)
    PaymentListSheet sheets[3]; // "Cumulat", "Ajutoare", "Suplim.Lemne"
};

// Fills the list for the month serial. OutputError (title "Stat de plata")
// when the template is missing or no application of the month matches the
// selection; engine and workbook errors propagate.
PaymentListResult MakePaymentList(int monthSerial, const PaymentListChoice& choice);
