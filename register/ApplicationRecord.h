// The values of one application row of Cereri as the editor collects them and
// the register writes them: the applicant, household, aid, supplements and
// control data. Plain values; reading from a result set and turning them into
// statement literals live here so that add, modify and the look-up agree.
#pragma once

#include "register/AidCalculation.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

namespace engine { class ResultSet; }

namespace hestavo {

// One supply contract of a supplement kind (G gas, E electricity, T thermal).
struct SupplyContract {
    QString holder;      // TITx: the contract holder's name
    QString holderCnp;   // CNPx
    QString supplier;    // FURNx
    QString clientCode;  // CODCLx
    QString pod;         // PODx (not for thermal energy)
    Money amount = 0;    // SUMx
    friend bool operator==(const SupplyContract&, const SupplyContract&) = default;
};

struct ApplicationRecord {
    int firstAidMonth = 0;       // LUNADEC, a working-month serial
    QString applicant;           // TITULAR
    QString cnp;
    QString locality;            // LOCALIT
    QString address;             // ADRESA
    int members = 0;             // NR_MEMBRI
    Money totalIncome = 0;       // TVENIT
    Money averageIncome = 0;     // VENITM
    bool minimumIncome = false;  // L416
    bool familyAllowance = false; // ASF
    bool withAid = false;        // CUAJUT
    Money solidFuel = 0;         // SUMAL
    SupplyContract gas, electricity, thermal;
    int monthlyAid = 0;          // CUANTUM
    int aidMonths = 0;           // NR_LUNI
    int totalAid = 0;            // TOTAL
    qint64 number = 0;           // NR_CERE
    QDate date;                  // DATACERE
    QString status;              // STATUT
    bool modified = false;       // CUMODIF
    QString reason;              // MOTIVR
    QString civilStatus;         // STCIV code
    QString schooling;           // SITSCOL code
    int rooms = 0;               // NRCAM
    bool insured = false;        // ASIG
    int children14 = 0;          // COPII14
    int children18 = 0;          // COPII18
    QString occupation;          // SITPROF
    QString payment;             // MODPLATA

    // The current row of a Cereri result set.
    static ApplicationRecord fromRow(const engine::ResultSet& row);
    // Column and literal pairs in the order of the register's UPDATE: every
    // column the editor sets (not NRCRT, LUNACRT, NR_DISP, DATADISP, NR_REF).
    QList<QPair<QString, QString>> columnLiterals() const;
};

bool IsActiveStatus(const QString& status);

// A text literal for a statement: double quotes (which would end it) become spaces.
QString TextLiteral(const QString& text);
QString MoneyLiteral(Money value);
QString DateLiteral(const QDate& date);
Money ToMoney(double value);
// TVENIT / NR_MEMBRI to the nearest ten-thousandth, ties to even; 0 for no members.
Money AverageIncome(Money total, int members);

} // namespace hestavo
