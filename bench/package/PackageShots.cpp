// Screenshots of the monthly package on a demo month with findings: the
// month check's window, the "Pachet lunar" dialog, the question after the
// findings, the progress window during the run and the closing message.
#include "bench/ScreenshotProgram.h"
#include "bench/register/DemoTown.h"
#include "data/Months.h"
#include "data/TestMode.h"
#include "documents/TemplateStore.h"
#include "package/MonthlyPackage.h"
#include "register/AdminSettings.h"
#include "register/WorkingMonth.h"
#include "tools/demo-db/DemoSettings.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProgressSink.h"
#include "ui/common/ProgressWindow.h"
#include "ui/package/MonthlyPackageDialog.h"
#include "ui/register/MonthCheckWindow.h"

#include <QLabel>
#include <QTemporaryDir>

using namespace hestavo;

int main(int argc, char** argv)
{
    UseOffscreenScreen();
    QApplication app(argc, argv);
    const QString out = ScreenshotFolder(argc, argv, "package_shots");
    if (out.isEmpty())
        return 1;
    QTemporaryDir dir;
    const demodb::Summary town = MakeDemoTown(dir.path(), 400, 2);
    demodb::writeSettings(paths().dataFolder, town);
    MaterializeTemplates();
    testmode::enable();
    const QString month = SerialToMonth(town.monthSerials.back());
    SetWorkingMonth(month);

    MonthCheckWindow check;
    check.resize(1100, 600);
    check.refresh();
    SaveShot(check, out + "/package-month-check.png");
    check.hide();

    MonthlyPackageDialog dialog;
    SaveShot(dialog, out + "/package-dialog.png");

    const QString target = dir.filePath("Rapoarte");
    QDir().mkpath(target);
    PackageRequest request{month, target, QDate::currentDate()};
    const PackageOutcome blocked = MakeMonthlyPackage(request, LoadAdminSettings());
    MessageDialog question("Pachet lunar", ContinueDespiteFindingsText(blocked), kOverrideQuestion, kKindWarning);
    SaveShot(question, out + "/package-continue.png");
    question.hide();

    request.force = true;
    PackageOutcome outcome;
    {
        ProgressSink progress(QStringLiteral("Verific luna..."));
        progress.begin(40);
        bool shot = false;
        outcome = MakeMonthlyPackage(request, LoadAdminSettings(), [&](const QString& step) {
            Contor().Descr->setText(step);
            progress.step();
            if (!shot && step.startsWith(QLatin1String("Trezorerie"))) {
                shot = SaveShot(Contor(), out + "/package-progress.png");
            }
        });
    }
    MessageDialog closing("Pachet lunar", PackageClosingText(outcome), kButtonsYesNo, kKindInformation);
    SaveShot(closing, out + "/package-closing.png");
    return outcome.blocked ? 1 : 0;
}
