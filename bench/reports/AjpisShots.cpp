// Screenshots of the period dialog of the AJPIS report: as proposed, and
// refusing an end before the start with its balloon (a window of its own, so
// the second picture is of the whole screen).
#include "reports/PeriodDialog.h"

#include <QApplication>
#include <QDateEdit>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen:size=1366x768");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "ajpis_shots OUTPUT-FOLDER\n");
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    PeriodDialog dialog;
    dialog.show();
    QApplication::processEvents();
    const QString proposed = out + "/period_dialog.png";
    const QString refused = out + "/period_refused.png";
    dialog.grab().save(proposed);
    dialog.Data0->setDate(QDate(2024, 3, 1));
    dialog.Data1->setDate(QDate(2024, 2, 1));
    dialog.confirm();
    QApplication::processEvents();
    QApplication::primaryScreen()->grabWindow(0).save(refused);
    std::printf("%s\n%s\n", qPrintable(proposed), qPrintable(refused));
    return 0;
}
