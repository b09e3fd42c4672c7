// The editor's group "LISTA MEMBRILOR": the household members of the
// application being edited (its members table and key), with the buttons that
// add, change and delete a member through the member dialog.
#pragma once

#include "register/HouseholdMembers.h"

#include <QGroupBox>

class MemberDialog;
class QCheckBox;
class QPushButton;
class QStandardItemModel;
class QTableView;

class MemberListPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit MemberListPanel(QWidget* parent = nullptr);

    // The members table and the application key whose rows are listed.
    void setTable(const QString& tablePath, qint64 applicationKey);
    // Re-reads the list; the cursor goes to selectNrom, else the last row.
    void reload(qint64 selectNrom = -1);
    void clearList();
    const QList<hestavo::HouseholdMember>& members() const { return m_list; }

    // "Adauga membru": the first member is proposed as the applicant, a
    // further one with the applicant's family name.
    void addMember(const QString& applicant, const QString& applicantCnp);
    // "Modifica membru", "Sterge membru": nothing happens on an empty list.
    void modifyMember();
    void deleteMember();
    // The members of an earlier application, with new keys, instead of these.
    void replaceWithMembersOf(qint64 applicationKey);
    MemberDialog& memberDialog();

    QTableView* grid;
    QCheckBox* updateFromMembers;
    QPushButton* addButton;
    QPushButton* modifyButton;
    QPushButton* deleteButton;

signals:
    void addClicked();
    void changed();   // after every change of the list's rows

private:
    int currentRow() const;
    QStandardItemModel* m_model;
    QList<hestavo::HouseholdMember> m_list;
    QString m_table;
    qint64 m_key = -2;
    MemberDialog* m_dialog = nullptr;
};
