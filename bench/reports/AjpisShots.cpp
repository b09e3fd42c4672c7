// Screenshots of the period dialog of the AJPIS report: as proposed, and
// refusing an end before the start with its balloon (a window of its own, so
// the second picture is of the whole screen).
#include "bench/ScreenshotProgram.h"
#include "ui/reports/PeriodDialog.h"

#include <QApplication>
#include <QDateEdit>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    UseOffscreenScreen();
    QApplication app(argc, argv);
    const QString out = ScreenshotFolder(argc, argv, "ajpis_shots");
    if (out.isEmpty())
        return 1;
    PeriodDialog dialog;
    SaveShot(dialog, out + "/period_dialog.png");
    const QString refused = out + "/period_refused.png";
    dialog.Data0->setDate(QDate(2024, 3, 1));
    dialog.Data1->setDate(QDate(2024, 2, 1));
    dialog.confirm();
    QApplication::processEvents();
    QApplication::primaryScreen()->grabWindow(0).save(refused);
    std::printf("%s\n", qPrintable(refused));
    return 0;
}
