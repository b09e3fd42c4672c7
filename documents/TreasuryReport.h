// The treasury report of the working month: in the folder "Lemne_Trezorerie"
// the payment file the State Treasury loads (a Visual FoxPro table), annex 2
// (a spreadsheet list) and annex 3 (an RTF summary split by payment method,
// CEC or OP) for each chosen account, and a plain-text summary.
//
// All files of a run are written into a fresh folder beside the target and
// moved into place together: a failure half-way leaves the previous outputs
// as they were, never a mixture of old and new files.
#pragma once

#include "documents/PaymentSelection.h"

#include <QDate>
#include <QList>
#include <QString>

// The two payment accounts: 073 (the aid, column TOTAL) and 074 (the wood or
// fuel supplement, column SUMAL).
struct TreasuryAccount {
    const char* code;
    const char* caption;   // check box caption, also used in the documents
    const char* legal;     // legal reference caption (ends with a space)
    const char* paidName;  // the aid after "pentru plata", in the genitive
    const char* column;    // amount column of Cereri
    const char* annex2;
    const char* annex3;
};
const QList<TreasuryAccount>& TreasuryAccounts();

struct TreasuryChoice {
    QDate paymentDate;
    bool account073 = true;
    bool account074 = true;
    PaymentSelection selection;
};

struct TreasuryFile {
    QString path;
    int records = 0;
    qint64 cents = 0;
};

struct TreasuryResult {
    QString folder;
    QList<TreasuryFile> files;  // payment file, annexes 2 and 3 per account, summary
};

// "Lemne_Trezorerie" below the parent folder.
QString TreasuryFolder(const QString& parentFolder);

// Payment file name: county code (two digits at least) + fiscal code + "_" +
// dd-MM-yyyy + ".dbf".
QString PaymentFileName(const QString& countyCode, const QString& fiscalCode, const QDate& date);

// Writes the outputs for the month serial into TreasuryFolder(parentFolder),
// replacing what it held, and stores the payment date as DATAV. OutputError
// (title "Raport Trezorerie") when no account is chosen, nothing is to be
// paid, or a file of the existing folder is held open by another program
// (nothing is replaced then); engine and file errors propagate, leaving the
// existing folder untouched.
TreasuryResult MakeTreasuryReport(int monthSerial, const TreasuryChoice& choice, const QString& parentFolder);
