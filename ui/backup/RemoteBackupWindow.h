// RemoteBackupWindow: "Copie / Recupereaza date la Distanta", the window of the
// remote backup account: log in, confirm the e-mail, change the password,
// send a copy of the data, list, download and restore or delete the copies
// stored by the service. Each button runs one RemoteBackupClient operation.
#pragma once

#include "backup/RemoteBackup.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QFrame;

class RemoteBackupWindow : public QDialog {
    Q_OBJECT
public:
    explicit RemoteBackupWindow(QWidget* parent = nullptr);
    ~RemoteBackupWindow() override;

    // The window entry: with an archive, it is sent as soon as the account is
    // open ("Salvare la inchiderea programului.") and the window closes after
    // a successful send. Returns true when an archive was handed over and sent.
    static bool Execute(const QString& archive = {}, QWidget* parent = nullptr);

    // Prepares the window as the entry does, without showing it.
    void prepare(const QString& archive);

    // Where the service is; the machine settings unless a test sets another.
    backup::RemoteSettings settings;
    // Asks for the note of a copy (input box "Transmitere salvare",
    // "Observatii"); false when cancelled. Tests replace it.
    std::function<bool(QString* note)> askNote;
    // Restores a downloaded archive into the data folder; true on success
    // (the program then ends). Empty: the command is not available yet.
    static std::function<bool(const QString& archive)>& restoreArchive();

    // The buttons' work.
    void login();
    void checkCode();
    void emailPassword();
    void changePassword();
    bool upload();
    void showList();
    void deleteSelected();
    void loadSelected();
    void back();
    // Shows the panels of a mask of "0"/"1" (login, code, account, save and
    // load buttons, list), padded with "0".
    void setMask(const QString& mask);
    QString mask() const { return m_mask; }

    // Widgets, for the tests.
    QLineEdit* email;
    QLineEdit* password;
    QCheckBox* remember;
    QPushButton* reminderButton;
    QLineEdit* code;
    QLabel* accountEmail;
    QLabel* created;
    QLabel* expires;
    QLabel* serverTime;
    QTableWidget* list;
    QPushButton* loadButton;
    QPushButton* deleteButton;
    QLabel* progressText;
    QProgressBar* progressBar;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    backup::RemoteAccount account() const;
    // Runs one operation with the window disabled and the progress panel
    // shown; shows "Transmitere date" when it fails.
    backup::RemoteReply run(const std::function<backup::RemoteReply(backup::RemoteBackupClient&)>& operation);
    void showReply(const backup::RemoteReply& reply);
    void fillList();
    void dropList();
    QString stocFile() const;
    // The identifier of the selected stored copy when the warning question
    // got "Da"; empty otherwise.
    QString confirmSelected(const QString& title, const QString& question);

    QList<QFrame*> m_panels;
    QFrame* m_progressPanel;
    QString m_mask;
    QString m_archive;
    bool m_sent = false;
    backup::RemoteBackupClient* m_running = nullptr;
};
