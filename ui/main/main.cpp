// Process entry: one instance per user, the splash drives the start-up, the
// main window runs modally, and the temporary folder goes when it closes.
#include "data/Paths.h"
#include "ui/common/Application.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SingleInstance.h"
#include "ui/main/Startup.h"

#include <QApplication>
#include <QTimer>
#include <QToolTip>

int main(int argc, char* argv[])
{
    HestavoApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hestavo"));

    // A second start brings the running program to the front and ends here,
    // before any folder or file is touched.
    SingleInstance instance(instanceServerName(defaultSystemFolder()));
    if (instance.anotherIsRunning())
        return 0;

    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, Qt::white);
    QToolTip::setPalette(tips);

    initPaths(defaultProgramFolder());
    MainWindow mainWindow;
    StartupSplash splash(&mainWindow);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &mainWindow, [&] {
        bringToFront(mainWindow.isVisible() ? static_cast<QWidget*>(&mainWindow) : &splash);
    });

    int rc = 0;
    QTimer::singleShot(0, [&] {
        splash.show();
        QCoreApplication::processEvents();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QStringList args = QCoreApplication::arguments();
        args.removeFirst();
        const StartupSplash::Outcome outcome = splash.RunStartup(args, QCoreApplication::applicationFilePath());
        QApplication::restoreOverrideCursor();
        splash.hide();
        if (outcome == StartupSplash::Outcome::ShowMain) {
            try {
                mainWindow.Entry();
            } catch (const std::exception& e) {
                ShowError(e);
                rc = 1;
            }
        } else {
            rc = 1;
        }
        QCoreApplication::processEvents();
        StartupSplash::Cleanup();
        QCoreApplication::quit();
    });
    app.exec();
    return rc;
}
