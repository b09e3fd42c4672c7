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

} // namespace hestavo
