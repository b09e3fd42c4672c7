// BackupWindow: the local backup window "Copie - inlocuieste baza de date":
// save a copy of the data to a chosen archive, restore an earlier archive
// over the data, or go to the remote backup. The work is done by SaveCopy()
// and RestoreArchive(); the window asks, shows progress and reports.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class BackupWindow : public QDialog {
    Q_OBJECT
public:
    explicit BackupWindow(QWidget* parent = nullptr);

    // Shows the window modally; "Incarca o salvare anterioara" is disabled
    // while an archive opened from the command line is worked on. Returns
    // whether a backup was restored (the program must then end).
    bool Open();

    void SaveCopyClicked();   // "Salveaza o copie a datelor"
    void RestoreClicked();    // "Incarca o salvare anterioara"
    void RemoteClicked();     // "Copie / Recupereaza date la Distanta"

    bool restored() const { return m_restored; }

    // Shows the data folder (or the archive opened from the command line) and
    // turns "Incarca o salvare anterioara" off while such an archive is open.
    void ShowWhatIsWorkedOn();

    // Restores an archive over the data folder and reports the result (with
    // where the safety copies are); true on success.
    static bool RestoreWithReport(const QString& file);

    QPushButton* SaveButton;
    QPushButton* RestoreButton;
    QPushButton* RemoteButton;

private:
    QLabel* m_where;
    bool m_restored = false;
};

// Asks "Doriti sa transmiteti salvarea si pe Server?" and opens the remote
// backup window (RemoteBackupWindow) with file on "Da".
void OfferRemoteUpload(const QString& file);

// The save on exit with its messages: "Eroare la salvare!" with the reason
// (and where the unsaved working data were kept) on failure, else the
// remote upload question.
void RunSaveOnExit();
