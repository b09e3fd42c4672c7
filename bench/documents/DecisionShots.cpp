// Screenshots of the single decision's dialog, for looking at them:
// decision_shots OUTPUT-FOLDER (offscreen). One as it opens with the texts
// stored last time, one filled in.
#include "bench/ScreenshotProgram.h"
#include "bench/register/DemoTown.h"
#include "ui/documents/SingleDecisionDialog.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    UseOffscreenScreen();
    QApplication app(argc, argv);
    const QString folder = ScreenshotFolder(argc, argv, "decision_shots");
    if (folder.isEmpty())
        return 1;
    QTemporaryDir root;
    MakeDemoTown(root.path(), 20, 1);
    WriteSetting("DISPCUM", "PERIOADA", "noiembrie 2024 - martie 2025");
    WriteSetting("DISPCUM", "DATAP", "15 ale lunii");
    WriteSetting("DISPCUM", "TRIBUNAL", "ALBA");
    {
        SingleDecisionDialog dialog;
        SaveShot(dialog, folder + "/single-decision-dialog.png");
    }
    SingleDecisionDialog dialog;
    dialog.number->setText("42");
    dialog.start->setDate(QDate(2024, 12, 1));
    dialog.tribunal->setText("ALBA IULIA");
    SaveShot(dialog, folder + "/single-decision-dialog-filled.png");
    return 0;
}
