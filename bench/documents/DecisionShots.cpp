// Screenshots of the single decision's dialog, for looking at them:
// decision_shots OUTPUT-FOLDER (offscreen). One as it opens with the texts
// stored last time, one filled in.
#include "applications/SingleDecisionDialog.h"
#include "bench/applications/DemoTown.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void Shot(QWidget& w, const QString& file)
{
    w.show();
    QApplication::processEvents();
    if (!w.grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: decision_shots OUTPUT-FOLDER\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir root;
    MakeDemoTown(root.path(), 20, 1);
    WriteSetting("DISPCUM", "PERIOADA", "noiembrie 2024 - martie 2025");
    WriteSetting("DISPCUM", "DATAP", "15 ale lunii");
    WriteSetting("DISPCUM", "TRIBUNAL", "ALBA");
    {
        SingleDecisionDialog dialog;
        Shot(dialog, folder + "/single-decision-dialog.png");
    }
    SingleDecisionDialog dialog;
    dialog.number->setText("42");
    dialog.start->setDate(QDate(2024, 12, 1));
    dialog.tribunal->setText("ALBA IULIA");
    Shot(dialog, folder + "/single-decision-dialog-filled.png");
    return 0;
}
