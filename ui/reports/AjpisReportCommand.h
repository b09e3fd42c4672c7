// The main window's "Raport AJPIS": settings check, the county question, the
// period and the output folder, then the report with the progress window and
// the closing message; the folder is opened at the end.
#pragma once

class QWidget;

namespace hestavo {

void AjpisReportCommand(QWidget* parent);

} // namespace hestavo
