// StartupSplash: the start-up splash and the start-up driver that brings the program
// from process start to the main window: folders, machine settings, version
// entries, the installer hand-off, the data folder (archive, network or local),
// then the steps shared with hestavo-cli (DataFolderStartup.h): tables, log
// pruning, schema upgrade, weekly pack and key counters.
#pragma once

#include "data/DataFolderStartup.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QProgressBar;
class MainWindow;

QString mainCaption();                      // "Hestavo  ver.1.0098"

// Registers the ".L21" archive type with the desktop (Windows: the registry
// key of the file type; elsewhere a MIME type and a desktop entry for the
// user). Failures are ignored.
void RegisterArchiveType(const QString& exePath, const QString& programFolder);

class StartupSplash : public QWidget {
    Q_OBJECT
public:
    explicit StartupSplash(MainWindow* mainWindow, QWidget* parent = nullptr);

    enum class Outcome { ShowMain, End };
    // Runs the start-up steps; End when the program must stop (installer
    // started, a folder that cannot be made, an engine failure reported).
    Outcome RunStartup(const QStringList& arguments, const QString& exePath);

    // Deletes the temporary folder of this run.
    static void Cleanup();

    QLabel* Label1;
    QProgressBar* Bar;

private:
    void setText(const QString& text);
    void chooseDataFolder(const QStringList& arguments, const QString& exePath);
    MainWindow* m_main;
};
