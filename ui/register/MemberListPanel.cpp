#include "ui/register/MemberListPanel.h"

#include "data/Months.h"
#include "data/Settings.h"
#include "ui/common/ComboFill.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/MemberDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

using namespace hestavo;

MemberListPanel::MemberListPanel(QWidget* parent) : QGroupBox("LISTA MEMBRILOR", parent)
{
    setObjectName("MemberList");
    m_model = new QStandardItemModel(0, 4, this);
    m_model->setHorizontalHeaderLabels({"Titular", "CNP", "Venit", "Calitate"});
    grid = new QTableView(this);
    grid->setObjectName("MemberGrid");
    grid->setModel(m_model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid->setMinimumHeight(140);
    updateFromMembers = new QCheckBox("Actualizare in cerere", this);
    updateFromMembers->setObjectName("UpdateFromMembers");
    addButton = new QPushButton("Adauga membru", this);
    addButton->setObjectName("AddMember");
    modifyButton = new QPushButton("Modifica membru", this);
    modifyButton->setObjectName("ModifyMember");
    deleteButton = new QPushButton("Sterge membru", this);
    deleteButton->setObjectName("DeleteMember");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(updateFromMembers);
    buttons->addStretch(1);
    for (QPushButton* b : {addButton, modifyButton, deleteButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);
    connect(addButton, &QPushButton::clicked, this, &MemberListPanel::addClicked);
    connect(modifyButton, &QPushButton::clicked, this, &MemberListPanel::modifyMember);
    connect(deleteButton, &QPushButton::clicked, this, &MemberListPanel::deleteMember);
}

MemberDialog& MemberListPanel::memberDialog()
{
    if (!m_dialog)
        m_dialog = new MemberDialog(this);
    return *m_dialog;
}

void MemberListPanel::setTable(const QString& tablePath, qint64 applicationKey)
{
    m_table = tablePath;
    m_key = applicationKey;
}

void MemberListPanel::clearList()
{
    m_list.clear();
    m_model->removeRows(0, m_model->rowCount());
}

void MemberListPanel::reload(qint64 selectNrom)
{
    clearList();
    m_list = HouseholdMembers(m_table, m_key).list();
    int selected = -1;
    for (const HouseholdMember& m : m_list) {
        if (m.nrom == selectNrom)
            selected = m_model->rowCount();
        m_model->appendRow({new QStandardItem(m.name), new QStandardItem(m.cnp), new QStandardItem(formatAmount(m.income)),
                            new QStandardItem(m.role)});
    }
    // Rows added to a shown list (a new application's members) leave the
    // columns at their empty widths until they are measured again.
    for (int column = 1; column < m_model->columnCount(); ++column)
        grid->resizeColumnToContents(column);
    const int row = selected >= 0 ? selected : m_model->rowCount() - 1;
    if (row >= 0)
        grid->selectRow(row);
}

int MemberListPanel::currentRow() const
{
    const QModelIndex i = grid->currentIndex();
    return i.isValid() && i.row() < m_list.size() ? i.row() : -1;
}

void MemberListPanel::addMember(const QString& applicant, const QString& applicantCnp)
{
    MemberDialog& dialog = memberDialog();
    dialog.incomeField->setText("0");
    dialog.roleList->setCurrentIndex(0);
    if (m_list.isEmpty()) {
        dialog.nameField->setText(applicant);
        dialog.cnpField->setText(applicantCnp);
    } else {
        const QString name = CleanText(applicant);
        const int space = name.indexOf(u' ');
        dialog.nameField->setText(space < 0 ? QString() : name.left(space + 1));
        dialog.cnpField->clear();
    }
    if (!dialog.EditMember("Adauga membru", QString()))
        return;
    RunCommand([&] {
        reload(HouseholdMembers(m_table, m_key).add(dialog.member()));
        emit changed();
    });
}

void MemberListPanel::modifyMember()
{
    const int row = currentRow();
    if (row < 0)
        return;   // nothing listed, nothing to change
    const HouseholdMember current = m_list[row];
    MemberDialog& dialog = memberDialog();
    dialog.nameField->setText(current.name);
    dialog.cnpField->setText(current.cnp);
    dialog.incomeField->setText(formatAmount(current.income));
    SelectComboText(dialog.roleList, current.role);
    if (!dialog.EditMember("Modificare membru", QString::number(current.nrom)))
        return;
    RunCommand([&] {
        HouseholdMember changedMember = dialog.member();
        changedMember.nrom = current.nrom;
        HouseholdMembers(m_table, m_key).change(changedMember);
        reload(current.nrom);
        emit changed();
    });
}

void MemberListPanel::deleteMember()
{
    const int row = currentRow();
    if (row < 0)
        return;   // nothing listed, nothing to delete
    const HouseholdMember current = m_list[row];
    if (MessageDialog::Mesaj("Stergere Membru", "Stergeti pe " + current.name + " ?", kDeleteQuestion, kKindConfirmation)
        != Answer::Yes)
        return;
    RunCommand([&] {
        HouseholdMembers(m_table, m_key).remove(current.nrom);
        reload();
        emit changed();
    });
}

void MemberListPanel::replaceWithMembersOf(qint64 applicationKey)
{
    HouseholdMembers(m_table, m_key).replaceWithMembersOf(applicationKey);
    reload();
}
