// The main window's "Raport AJPIS - BACAU": the settings check, the payment
// month, the output folder, the report under the progress window, a note on
// the annexes without data, then the folder opened in the shell. The work is
// WriteCountyReport (CountyReport.h), which hestavo-cli calls as well.
#pragma once

class QWidget;

namespace hestavo {

void CountyReportCommand(QWidget* parent);

} // namespace hestavo
