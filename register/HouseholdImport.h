// The import of households already registered in the minimum-income ("VMG",
// Law 416) and family-allowance ("ASF") databases into the working month:
// their saved archive is unpacked, the active applications of households
// heating with wood are selected with their members, and they replace the
// month's earlier applications of that kind, all in one engine transaction.
// No windows: the result carries the Romanian message to show.
#pragma once

#include "backup/Archive.h"

#include <QString>

#include <functional>

namespace hestavo {

enum class ImportKind { Vmg, Asf };

struct ImportResult {
    bool imported = false;
    QString title;                 // "Preluare L416" / "Preluare ASF" for refusals
    QString error;                 // the refusal or failure, when !imported
    int applications = 0;          // applications imported
    int members = 0;               // members imported
    int replacedApplications = 0;  // applications of the month removed first
    int replacedMembers = 0;
};

// "str." street " nr." number " bl." block " sc." staircase " et." floor
// " ap." apartment, each part only when its value is not empty, cleaned
// (CleanText) and in upper case.
QString ImportedAddress(const QString& street, const QString& number, const QString& block,
                        const QString& staircase, const QString& floor, const QString& apartment);

// The member role of a relation code: 1 "beneficiar", 2 or 3 "partener",
// 4 "copil", anything else "adult".
QString RoleForRelation(int code);

// Imports the archive into the month of serial workingSerial. A damaged
// archive ("Arhiva este defecta!"), a database without its tables, one
// without active wood-heating applications, or tables another process has
// open change nothing. The caller has closed its engine handles (resetDb()).
// progress counts the unpacked files, then the members written; step names
// the second phase ("Preluare date...").
ImportResult ImportHouseholds(ImportKind kind, const QString& archive, long workingSerial,
                              const backup::ArchiveProgress& progress = {},
                              const std::function<void(const QString&)>& step = {});

} // namespace hestavo
