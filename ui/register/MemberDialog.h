// Member dialog: one household member's name, CNP, monthly income and role,
// refused when the CNP already belongs to a member of another application of
// the working month.
#pragma once

#include "register/HouseholdMembers.h"

#include <QDialog>

class CnpEdit;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class MemberDialog : public QDialog {
    Q_OBJECT
public:
    explicit MemberDialog(QWidget* parent = nullptr);

    // Caption = title ("Adauga membru" or "Modificare membru"); nrom is the
    // edited member's key, empty when adding. True when "Memoreaza" accepted.
    bool EditMember(const QString& title, const QString& nrom);
    // The "Memoreaza" checks, in order; accepts the dialog when they pass.
    void save();

    QString name() const;
    QString income() const;   // the income as a number text ("0" when empty)
    // The member as entered (no key).
    hestavo::HouseholdMember member() const;

    QLineEdit* nameField;
    CnpEdit* cnpField;
    QLineEdit* incomeField;
    QComboBox* roleList;
    QCheckBox* clearFields;
    QPushButton* saveButton;
    QPushButton* closeButton;

    // Shown, the caret stands after the name (its text is not selected).
    void setVisible(bool visible) override;

private:
    QString m_nrom;
};
