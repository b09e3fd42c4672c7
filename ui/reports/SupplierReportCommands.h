// The main window's "Raport Furnizori" items: the settings check, the choice
// dialog, the output folder, the progress window around the report and the
// closing message; the output folder is opened at the end. The reports
// themselves are in SupplierReports, which hestavo-cli calls as well.
#pragma once

class QWidget;

namespace hestavo {

// "Format AJPIS".
void SupplierAnnexesCommand(QWidget* parent);
// "Format E-On Gaz Tg.Mures".
void EonReportCommand(QWidget* parent);
// "Format CEZ - Supliment Electrica".
void CezReportCommand(QWidget* parent);

} // namespace hestavo
