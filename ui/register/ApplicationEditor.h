// The application editor: one household's application (applicant, address,
// household, period and status of the aid, risk-profile data, members,
// heating aid and energy supplements). It looks the CNP up in earlier
// applications, checks everything in a fixed order and hands the accepted
// values to the register, which writes the row. One instance per run: the
// status, the date and "numerotare noua" are kept between uses.
#pragma once

#include "register/ApplicationChecks.h"
#include "register/ApplicationRecord.h"
#include "ui/register/MemberListPanel.h"

#include <QDialog>

class CnpEdit;
class MemberDialog;
class MemberListPanel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class SupplementDialog;

class ApplicationEditor : public QDialog {
    Q_OBJECT
public:
    static ApplicationEditor& instance();
    explicit ApplicationEditor(QWidget* parent = nullptr);
    ~ApplicationEditor() override;

    // Entry points of the register; true when the application was accepted.
    bool OpenForAdd();
    bool OpenForModify(qint64 key);
    // Clears the fields and puts the defaults.
    void ResetEditor();
    // The steps of OpenForAdd/OpenForModify before and after the dialog is
    // shown, for callers that drive the dialog themselves.
    void beginAdd();
    bool beginModify(qint64 key);   // false when the application does not exist
    bool finish();

    // Household size, total income and child counts from the member list,
    // when "Actualizare in cerere" is ticked.
    void RecountFromMembers();
    // Re-reads the member list from the editor's members table.
    void refreshMembers() { memberList->reload(); }
    // "&Memoreaza": the acceptance checks in order; closes accepted when all pass.
    void saveApplication();

    // Esc, "Renunt" and the close box: when anything was changed since the
    // editor opened, asks "Renuntati la modificari?"; "Nu" keeps it open.
    void reject() override;

    // Member and supplement commands of the editor.
    void addMember();
    void modifyMember() { memberList->modifyMember(); }
    void deleteMember() { memberList->deleteMember(); }
    void editSupplement(char kind);

    bool isSaved() const { return m_saved; }
    bool isAddMode() const { return m_addMode; }
    hestavo::ApplicationRecord record() const { return m_record; }
    QString membersTable() const { return m_membersTable; }
    qint64 memberKey() const { return m_memberKey; }
    int memberCount() const;
    MemberDialog& memberDialog() { return memberList->memberDialog(); }
    SupplementDialog& supplementDialog();

    CnpEdit* cnpField;
    QLineEdit* numberField;
    QDateEdit* dateField;
    QCheckBox* newNumbering;
    QComboBox* startMonth;
    QLineEdit* startYear;
    QLineEdit* period;
    QComboBox* payment;
    QLineEdit* applicant;
    QComboBox* locality;
    QLineEdit* address;
    QLineEdit* members;
    QLineEdit* income;
    QCheckBox* minimumIncome;
    QCheckBox* familyAllowance;
    QComboBox* status;
    QCheckBox* modified;
    QLabel* reasonLabel;
    QComboBox* reason;
    QComboBox* civilStatus;
    QComboBox* schooling;
    QLineEdit* rooms;
    QCheckBox* insured;
    QComboBox* occupation;
    QLineEdit* children14;
    QLineEdit* children18;
    MemberListPanel* memberList;
    QCheckBox* updateFromMembers;   // the member list's "Actualizare in cerere"
    QCheckBox* heatingAid;
    QCheckBox* solidFuel;
    QPushButton* gasButton;
    QPushButton* thermalButton;
    QPushButton* electricityButton;
    QLabel* solidFuelAmount;
    QLabel* gasAmount;
    QLabel* thermalAmount;
    QLabel* electricityAmount;
    QPushButton* saveButton;
    QPushButton* cancelButton;

    // The supplement state.
    hestavo::Money solidFuelSum = 0;
    hestavo::SupplyContract gas, electricity, thermal;

private:
    QWidget* buildApplicationGroup();
    QWidget* buildHouseholdGroup();
    QWidget* buildControlGroup();
    QWidget* buildAidGroup();
    void statusChanged();
    void solidFuelToggled(bool on);
    void showAmounts();
    void cnpChanged();
    void lookUpCnp();
    void loadRecord(const hestavo::ApplicationRecord& r);
    bool runChecks();
    QWidget* inputFor(hestavo::ApplicationField field) const;
    // The date typed; invalid while the field is empty.
    QDate applicationDate() const;
    hestavo::ApplicationRecord collect() const;
    void storeDefaults();
    // What the clerk can change: every input's value, the members and the
    // supplements, to tell whether anything changed since the editor opened.
    struct FormState {
        QStringList values;
        hestavo::SupplyContract gas, electricity, thermal;
        hestavo::Money solidFuel = 0;
        bool operator==(const FormState&) const = default;
    };
    FormState formState() const;
    void dropTemporaryMembers();

    bool m_addMode = true;
    bool m_saved = false;
    bool m_lookupOpen = false;
    bool m_lookupBusy = false;
    bool m_lookupPending = false;
    qint64 m_memberKey = -2;
    QString m_membersTable;
    hestavo::ApplicationRecord m_record;
    FormState m_opened;
    SupplementDialog* m_supplementDialog = nullptr;
};

// "Modifica cerere" on the application of this key: the editor, the question
// about its old documents, and the changed row stored. True when stored.
bool ModifyThroughEditor(qint64 key);
