// The administration values of a database: identification of the town hall,
// signatories, locality type, the aid bracket table and the supplement
// amounts. Plain values plus the checks run on them; loading and storing go
// through the settings file of the data folder.
#pragma once

#include "register/AidCalculation.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace hestavo {

struct AdminSettings {
    QString uat = QStringLiteral("U.A.T."); // UAT: one of AuthorityKinds()
    QString primaria;       // PRIMARIA: authority name
    int tiploc = 0;         // TIPLOC: 0 COMUNA, 1 ORASUL, 2 MUNICIPIUL
    QString sirues;         // SIRUES: fiscal code
    QString judet;          // JUDET: county name, upper case; empty = none chosen
    QString codjud;         // CODJUD: county code
    QString primar;         // PRIMAR
    QString viceprimar;     // VICEPRIMAR, shown as "Secretar"
    QString contabil;       // CONTABIL
    QString director;       // DIRECTOR
    QString intocmit;       // INTOCMIT
    bool cuOle = false;     // CuOLE: "DA" / "NU"
    BracketTable brackets = DefaultBracketTable();
    SupplementAmounts supplements = DefaultSupplementAmounts();

    friend bool operator==(const AdminSettings&, const AdminSettings&) = default;
};

// "U.A.T.", "Comuna", "Primaria", "Orasul", "Municipiul".
const QStringList& AuthorityKinds();
// "COMUNA", "ORASUL", "MUNICIPIUL".
const QStringList& LocalityTypes();

// "comunei ", "orasului " or "municipiului " for the locality type.
QString LocalityGenitive(int tiploc);

// The kind of the unit as the documents write it, in small letters with
// diacritics: "comuna" / "comunei", "orașul" / "orașului", "municipiul" /
// "municipiului" (the kind setting's position; a commune when none is chosen).
struct UnitKindNames {
    QString nominative;
    QString genitive;
};
UnitKindNames UnitKind(int tiploc);

// The county abbreviation used by the reports; empty when no county is chosen.
QString CountyAbbreviation(const AdminSettings& s);

// Reads section SETARI of the settings file; a missing or empty key keeps its
// default. Numbers are read as text and converted; an unreadable one counts as 0.
AdminSettings LoadAdminSettings();
// Writes every key of section SETARI.
void StoreAdminSettings(const AdminSettings& s);

// Why the register and the reports cannot start, as the message text shown
// under the title "Raport AJPIS"; nullopt when everything needed is set.
std::optional<QString> SettingsProblem(const QString& workingMonth, const AdminSettings& s);

// The first refusal of "Memoreaza si inchide".
struct SaveRefusal {
    enum Field { Name, County, FiscalCode } field;
    QString message;
};
// Cleans the name, fiscal code and county code in place, fills an empty county
// code from the county, and returns the first refusal, if any.
std::optional<SaveRefusal> PrepareForSave(AdminSettings& s);

// Fills the county code from the county's position in the list when it is
// empty, or when it is still the own code of previousCounty (the county that
// was selected before this change); a code typed by hand stays.
void ApplyCountyRule(AdminSettings& s, const QString& previousCounty = QString());

} // namespace hestavo
