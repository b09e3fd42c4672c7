// Screenshots of the period dialog of the AJPIS report: as proposed, and
// refusing an end before the start with its balloon.
#include "reports/PeriodDialog.h"

#include <QApplication>
#include <QDateEdit>
#include <QScreen>

#include <cstdio>

namespace {

void Shoot(QWidget& w, const QString& file)
{
    w.show();
    QApplication::processEvents();
    w.grab().save(file);
    std::printf("%s\n", qPrintable(file));
}

} // namespace

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
    Shoot(dialog, out + "/period_dialog.png");
    dialog.Data0->setDate(QDate(2024, 3, 1));
    dialog.Data1->setDate(QDate(2024, 2, 1));
    dialog.confirm();
    QApplication::processEvents();
    // The balloon is a window of its own: the screen shows both.
    QApplication::primaryScreen()->grabWindow(0).save(out + "/period_refused.png");
    std::printf("%s\n", qPrintable(out + "/period_refused.png"));
    return 0;
}
