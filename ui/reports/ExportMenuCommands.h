// The main window's commands of the national exports: the dialogs around the
// export functions (settings check, folder chooser, the overwrite question,
// progress and the closing message). The work itself is in AnpisExport and
// F2201Export, which hestavo-cli calls as well.
#pragma once

class QWidget;

namespace hestavo {

// "Export Date ANPIS - XML".
void ExportAnpisCommand(QWidget* parent);
// "Formularul F 2201 ANAF - XML".
void ExportF2201Command(QWidget* parent);
// "Lista persoanelor si varsta", "Situatia membrilor", "Control bazat pe
// profilul de risc": the filled workbook is opened for the user.
void PersonsAgeListCommand();
void MembersSituationCommand();
void RiskControlCommand();
// The register's "Export DBF persoane".
void ExportPersonsDbfCommand(QWidget* parent);

} // namespace hestavo
