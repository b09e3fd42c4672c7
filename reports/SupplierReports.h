// The supplier reports of the working month: the households that receive an
// energy supplement, listed in the layout a supplier needs to credit it.
//   - Annexes 16 (electricity) and 15 (gas), one folder per supplier;
//   - the E-ON Gaz Targu Mures import layout, "Suplimente_Electrica.xlsx" and
//     "Suplimente_Gaz.xlsx";
//   - the CEZ electricity-supplement layout, "S_EE_<county>_<SIRUTA>_MM_YYYY.xls".
// Each command takes what its dialog collected and a prepared (empty) output
// folder, and returns the files written. Every workbook is filled in the
// temporary folder and moved into the output folder only when complete, so an
// engine failure (thrown as it is) leaves no half-written file there.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

namespace hestavo {

struct SupplierReportFile {
    QString path;      // full path in the output folder
    int rows = 0;      // data rows
    double total = 0;  // sum of the supplements listed
};

// The progress of a run: a text with a maximum, then steps. Either may be empty.
struct SupplierProgress {
    std::function<void(const QString& text, int maximum)> begin;
    std::function<void()> step;
};

// Where a supplier's annexes go: its name with the characters a folder name
// cannot hold replaced, made unique among the names (a name and its folder).
QList<QPair<QString, QString>> SupplierFolders(const QStringList& supplierNames);

// "Format AJPIS": per supplier with rows, <folder>/<supplier>/Anexa16.xls and
// Anexa15.xls from the shipped annex forms, first sheet only, numbered from 1.
// onlySuppliers, when not empty, limits the run to those names.
QList<SupplierReportFile> WriteSupplierAnnexes(const QString& workingMonth, const QString& folder,
                                               const QStringList& onlySuppliers = {},
                                               const SupplierProgress& progress = {});

// A locality and its postal code.
using PostalCode = QPair<QString, QString>;

// "Format E-On Gaz Tg.Mures" for the supplier name chosen (electricity rows by
// FURNE, gas rows by FURNG), with the postal codes of the localities.
QList<SupplierReportFile> WriteEonReport(const QString& workingMonth, const QString& supplier,
                                         const QList<PostalCode>& postalCodes, const QString& folder,
                                         const SupplierProgress& progress = {});

// "Format CEZ - Supliment Electrica" for the supplier name and SIRUTA code.
QList<SupplierReportFile> WriteCezReport(const QString& workingMonth, const QString& supplier, const QString& siruta,
                                         const QString& folder, const SupplierProgress& progress = {});

// "S_EE_" + county code + "_" + SIRUTA + "_" + MM + "_" + YYYY + ".xls".
QString CezFileName(const QString& countyCode, const QString& siruta, const QString& workingMonth);

// A column of Cereri and the condition under which its distinct values are
// offered as supplier names.
struct SupplierNameSource {
    QString column;
    QString condition;
};
// E-ON: gas, then electricity names of the month's approved or modified
// applications that have an aid or that supplement. CEZ: electricity names of
// those with an electricity supplement.
QList<SupplierNameSource> EonSupplierSources(const QString& workingMonth);
QList<SupplierNameSource> CezSupplierSources(const QString& workingMonth);
// The names the sources give, sorted, each once.
QStringList SupplierNames(const QList<SupplierNameSource>& sources);

// The distinct localities of the working month's applications (any status)
// with their postal codes from section CODURIP (empty when none is stored).
// A locality name that cannot be a key of the settings file (it holds "=" or
// begins with "[" or ";") has its code neither read nor stored, so that it
// cannot break the file; such a code is asked for at every run.
QList<PostalCode> PostalCodes(const QString& workingMonth);
void StorePostalCodes(const QList<PostalCode>& codes);

// The SIRUTA code of section CONST, and the refusal of a code: nullopt-like
// empty text when it is accepted, else the message ("Nu ati scris SIRUTA!").
QString StoredSiruta();
void StoreSiruta(const QString& siruta);
QString SirutaProblem(const QString& siruta);

// "Nume" and "Prenume" of a full name: the text before the first space and the
// text after it; a name without a space is all "Nume".
QPair<QString, QString> SurnameFirst(const QString& name);

} // namespace hestavo
