// StartupSplash: the start-up splash and the start-up driver that brings the program
// from process start to the main window: folders, machine settings, version
// entries, the installer hand-off, the data folder (archive, network or local),
// tables, log pruning, schema upgrade, weekly pack and key counters.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QProgressBar;
class MainWindow;

constexpr qint64 kVersion = 10098;          // 1.0098 in ten-thousandths
QString versionText();                      // "1.0098"
QString mainCaption();                      // "Hestavo  ver.1.0098"

// The week number of a date: whole weeks since 30 December 1899.
long weekNumber(const QDate& date);

// Schema upgrade of an existing database (the version steps and the column
// changes of older Cereri tables). Reads and rewrites SERVER/Versiune.
void UpgradeSchema();

// Packs Cereri, Oameni and Log when CONST/LASTPACK differs from this week's
// number (which it then stores). step is called once per table either way.
// Returns whether packing ran.
bool WeeklyPack(long week, const std::function<void()>& step);

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
