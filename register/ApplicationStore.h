// Writing one application: add (row and members), modify, delete, each in one
// engine transaction together with its audit-log row, so that a failure
// leaves Cereri, Oameni and Log as they were. Also the per-application
// document files "C", "CS" and "A" + NRCRT + ".rtf" of the data folder.
#pragma once

#include "register/ApplicationRecord.h"

#include <QString>
#include <QStringList>

namespace hestavo {

// Inserts the application with a new NRCRT (NextKey) into the month, then its
// members from the editor's temporary members table (rows with NRCRT -2),
// which is deleted afterwards. Logs "Adaugare Cerere <nr> - <titular>".
// Returns the new NRCRT.
qint64 AddApplication(const ApplicationRecord& record, const QString& tempMembersTable, int monthSerial);

// Updates the application's row; NRCRT, LUNACRT, NR_DISP, DATADISP and NR_REF
// stay. Logs "Modificare Cerere <nr> - <titular>".
void ModifyApplication(qint64 key, const ApplicationRecord& record);

// Logs "Stergere Cerere <nr>/<dd.MM.yyyy> - <titular>", deletes the
// application and its members and its document files.
void DeleteApplication(qint64 key);

// The document files of an application (full form, short form, inquiry).
QStringList ApplicationDocumentFiles(qint64 key);
bool HasApplicationDocuments(qint64 key);
void DeleteApplicationDocuments(qint64 key);

// An empty table with the structure of Oameni, for a new application's members.
void CreateMembersTable(const QString& path);

} // namespace hestavo
