// Supplement dialog ("Date Supliment"): the supply contract of one energy
// supplement (G gas, E electricity, T thermal): holder, supplier, client code
// and consumption point, with the check for the same contract in another
// application of the working month.
#pragma once

#include "register/ApplicationRecord.h"

#include <QDialog>

class CnpEdit;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SupplementDialog : public QDialog {
    Q_OBJECT
public:
    enum Result { Cancelled = 0, Saved = 6, Deleted = 7 };

    explicit SupplementDialog(QWidget* parent = nullptr);

    // Fills the dialog for kind 'G', 'E' or 'T' from the editor's contract
    // (the applicant's name and CNP when it has no holder); memberKey is the
    // editor's application key (-2 for a new one), excluded from the
    // duplicate search. Shows it and returns Saved, Deleted or Cancelled.
    int EditSupplement(char kind, const hestavo::SupplyContract& contract, const QString& applicant,
                       const QString& applicantCnp, bool onlySource, qint64 memberKey);
    // Prepares without showing (EditSupplement's first steps).
    void prepare(char kind, const hestavo::SupplyContract& contract, const QString& applicant,
                 const QString& applicantCnp, bool onlySource, qint64 memberKey);

    // "&Memoreaza": the checks in order, then done(Saved).
    void save();
    // "&Sterge": confirmation, then done(Deleted).
    void remove();

    // The contract as entered (amount not set).
    hestavo::SupplyContract contract() const;
    bool onlySource() const;

    QLabel* title;
    QLineEdit* holderName;
    CnpEdit* holderCnp;
    QComboBox* supplier;
    QLineEdit* clientCode;
    QLabel* podLabel;
    QLineEdit* pod;
    QCheckBox* onlySourceBox;
    QPushButton* saveButton;
    QPushButton* cancelButton;
    QPushButton* deleteButton;

private:
    bool hasPod() const { return m_kind != 'T'; }
    // The confirmation text when the contract already exists in the month; empty when not.
    QString sameContractElsewhere() const;
    char m_kind = 'G';
    qint64 m_memberKey = -2;
};
