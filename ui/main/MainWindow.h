// MainWindow: the main window, a command strip across the top of the screen with
// the program's work areas, two menus, the working month and the status bar.
// Until the administrator unlock only "Administrare" and "Iesire" show.
#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;

// What the close decision looks at.
struct CloseContext {
    bool archiveOpen = false;      // working on an archive opened from the command line
    bool unlocked = false;         // commands unlocked ("Perioada" visible)
    bool networkMode = false;      // data folder differs from the local data folder
    QString autoSaveFolder;        // "-" means no automatic save
};

// Asks the save questions that apply and returns whether to save on exit.
bool DecideSaveOnClose(const CloseContext& context);
// Deletes "Manual.pdf" and "Pop1.pdf".."Pop7.pdf" from the program folder.
void DeleteHelpFiles(const QString& programFolder);
// Writes the embedded legislation text (resource name of type "Lege") to a
// fresh temporary PDF and opens it; false with an error message when it cannot
// be written.
bool OpenLegislation(const QString& resourceName);

class MainWindow : public QDialog {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Logs "Pornire program", shows the working month, shows the window
    // modally; after it closes logs "Inchidere Program." and runs the save on
    // exit (RunSaveOnExit) when the close decision said so.
    void Entry();

    void setStatusText(const QString& text);   // status panel 2
    QString statusText() const;
    void Unlock();                              // shows the four hidden buttons
    // The commands behind the hidden buttons may run: unlocked in this run, or
    // no administrator password set.
    bool CommandsUnlocked() const;
    // After a backup was restored: hides "Perioada" and closes without any
    // save question (the user starts the program again).
    void CloseAfterRestore();
    bool saveOnExit() const { return m_saveOnExit; }
    bool closedByRestore() const { return m_restored; }

    // Handlers of the command strip. "Perioada", "Cereri" and "Administrare"
    // open the windows of the applications subsystem.
    void openWorkingMonths();     // "Perioada": working months
    void openRegister();     // "Cereri": the register, when the settings are complete
    void openAdministration();   // "Administrare": unlock, then the administration window
    void exitProgram();     // "Iesire"

    // The work areas the handlers open; empty until their windows exist.
    void OpenWorkingMonths();
    void OpenRegister();
    void OpenAdministration();
    bool SettingsComplete();
    void OpenLogViewer();
    void OpenBackupWindow();   // "Salvare / Incarcare baza de date"

    QToolButton* MBut1;
    QToolButton* MBut2;
    QToolButton* MBut3;
    QToolButton* MBut4;
    QToolButton* MButAdm;
    QToolButton* ExitB;
    QLabel* LunaLucru;
    QStatusBar* StatusBar1;
    QLabel* Panel1;
    QLabel* Panel2;
    QMenu* PopupMenu1;
    QMenu* PopupMenu2;
    QAction* BacauItem;    // "Raport AJPIS - BACAU", visible only for that county

public slots:
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void fitToScreen();
    QToolButton* addButton(const QString& name, const QString& caption, const QString& hint, const QIcon& icon);
    bool m_saveOnExit = false;
    bool m_decided = false;
    bool m_restored = false;
};
