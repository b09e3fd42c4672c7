// Administration window: identification of the town hall, signatories, the aid
// bracket table and supplement amounts, the administrator password, and the
// paths and template commands hosted for other parts of the program.
// Created once per run; every closing reloads the fields from the settings file.
#pragma once

#include "register/AdminSettings.h"

#include <QDialog>
#include <array>

class ElidedPathLabel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class AdministrationWindow : public QDialog {
    Q_OBJECT
public:
    explicit AdministrationWindow(QWidget* parent = nullptr);

    // Settings file -> fields (at start-up and after every closing).
    void LoadSettings();
    // Fields -> values, as they stand (not validated).
    hestavo::AdminSettings FormValues() const;
    // Fields -> settings file, without validation.
    void StoreSettings();

    // "Memoreaza si inchide": validates, stores, closes; refusals show a hint.
    void saveAndClose();
    // "&Recalculeaza cererile".
    void Recalculeaza();
    // "&Schimba parola".
    void changePassword();
    // The server-folder buttons: connect to a shared database or return to
    // local work; both end the program when the setting changed.
    void connectServer();
    void disconnectServer();

    QLineEdit* Lim(int row) const { return m_lim[row - 1]; }
    QLineEdit* Cu(int row) const { return m_cu[row - 1]; }

signals:
    // The county-change rule: the main window shows "Raport AJPIS - BACAU"
    // exactly when the county is BACAU.
    void bacauReportVisible(bool visible);

protected:
    void done(int result) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void endProgram();
    void countyChanged();
    void bracketLimitChanged(int row);
    void SetValues(const hestavo::AdminSettings& s);

    QComboBox* m_uat;
    QLineEdit* m_primaria;
    QComboBox* m_tiploc;
    QLineEdit* m_sirues;
    QComboBox* m_judet;
    QLineEdit* m_codjud;
    QLineEdit* m_primar;
    QLineEdit* m_viceprimar;
    QLineEdit* m_contabil;
    QLineEdit* m_director;
    QLineEdit* m_intocmit;
    QCheckBox* m_cuOle;
    std::array<QLineEdit*, 11> m_lim{};
    std::array<QLineEdit*, 11> m_cu{};
    std::array<QLabel*, 11> m_peste{};
    QLineEdit* m_indL;
    QLineEdit* m_indG;
    QLineEdit* m_indT;
    QLineEdit* m_indE;
    QLineEdit* m_indE2;
    QLineEdit* m_pass1;
    QLineEdit* m_pass2;
    QPushButton* m_save;
    ElidedPathLabel* m_serverPath;
    ElidedPathLabel* m_savePath;
    QString m_shownCounty;   // the county selected before the current change
};
