#include "ui/register/MemberDialog.h"

#include "data/Months.h"
#include "data/Settings.h"
#include "register/RegisterQueries.h"
#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/TextInput.h"
#include "ui/register/CnpEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace hestavo;

MemberDialog::MemberDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("MemberDialog");
    nameField = new QLineEdit(this);
    nameField->setObjectName("Name");
    nameField->setMaxLength(32);
    ForceUpperCase(nameField);
    cnpField = new CnpEdit(this);
    cnpField->setObjectName("Cnp");
    incomeField = new QLineEdit(this);
    incomeField->setObjectName("Income");
    MoneyInput(incomeField, 7);
    roleList = new QComboBox(this);
    roleList->setObjectName("Role");
    roleList->addItems({"beneficiar", "partener", "adult", "copil"});
    clearFields = new QCheckBox("Goleste casutele", this);
    clearFields->setObjectName("ClearFields");
    saveButton = new QPushButton("Memoreaza", this);
    saveButton->setObjectName("Save");
    closeButton = new QPushButton("Inchide", this);
    closeButton->setObjectName("Close");
    auto* form = new QFormLayout;
    form->addRow("Nume si prenume", nameField);
    form->addRow("C.N.P.", cnpField);
    form->addRow("Venit lunar (lei)", incomeField);
    form->addRow("Calitate", roleList);
    form->addRow(clearFields);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
    nameField->setMinimumWidth(nameField->fontMetrics().averageCharWidth() * 34);
    connect(saveButton, &QPushButton::clicked, this, &MemberDialog::save);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    EnterMovesToNextInput(this);
}

void MemberDialog::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    // Shown before its window is active (as under a window manager), the
    // dialog gives the name a Tab focus, which selects it: the proposed name
    // would go with the first key typed. The caret goes after it instead.
    if (visible) {
        nameField->deselect();
        nameField->end(false);
    }
}

QString MemberDialog::name() const { return CleanText(nameField->text()); }

QString MemberDialog::income() const { return formatAmount(parseAmount(incomeField->text())); }

bool MemberDialog::EditMember(const QString& title, const QString& nrom)
{
    setWindowTitle(title);
    m_nrom = nrom;
    if (title == QLatin1String("Adauga membru") && clearFields->isChecked()) {
        nameField->clear();
        cnpField->clear();
        incomeField->clear();
        roleList->setCurrentIndex(0);
    }
    nameField->setFocus();
    return exec() == QDialog::Accepted;
}

hestavo::HouseholdMember MemberDialog::member() const
{
    return {0, name(), cnpField->text(), parseAmount(incomeField->text()), roleList->currentText()};
}

void MemberDialog::save()
{
    incomeField->setText(income());
    nameField->setText(name());
    if (nameField->text().isEmpty())
        return ShowProblemHint("Lipseste numele omului!", nameField);
    if (!cnpField->isValid()
        && MessageDialog::Mesaj("Verificare date", "\rCNP incorect!\rContinuam asa?", kOverrideQuestion, kKindError) != Answer::Yes)
        return;
    // An absent code cannot belong to anyone else: blank codes are not compared.
    if (cnpField->text().isEmpty())
        return accept();
    saveButton->setEnabled(false);
    std::optional<Holder> found;
    const bool searched = RunCommand([&] {
        found = MemberInMonth(cnpField->text(), MonthToSerial(WorkingMonthText()), m_nrom.isEmpty() ? -1 : m_nrom.toLongLong());
    });
    saveButton->setEnabled(true);
    if (!searched)
        return;
    if (found)
        return ShowProblemHint("CNP existent la Membru, cererea nr." + found->number + "/" + found->date, cnpField);
    accept();
}
