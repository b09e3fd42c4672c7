#include "applications/MemberDialog.h"

#include "applications/ApplicationRecord.h"
#include "applications/CnpEdit.h"
#include "applications/CommandGuard.h"
#include "applications/TextInput.h"
#include "applications/WorkingMonth.h"
#include "app/MessageDialog.h"
#include "app/ProblemHint.h"
#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "engine/ResultSet.h"

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
    NumberInput(incomeField, 7, 2);
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

QString MemberDialog::name() const { return CleanText(nameField->text()); }

QString MemberDialog::income() const { return formatFixed(parseFixed(incomeField->text())); }

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

QString MemberDialog::memberElsewhere() const
{
    QStringList lines{"SELECT A.CNP, B.NR_CERE, B.DATACERE",
                      "FROM " + quotedTable("Oameni.dbf") + " A, " + quotedTable("Cereri.dbf") + " B",
                      "WHERE A.CNP = " + TextLiteral(cnpField->text()) + " AND A.NRCRT=B.NRCRT AND B.LUNACRT="
                          + QString::number(MonthToSerial(WorkingMonthText()))};
    if (!m_nrom.isEmpty())
        lines << "AND NROM<>" + m_nrom;
    auto rs = Db().open(sqlLines(lines));
    if (rs->isEmpty())
        return QString();
    rs->first();
    return "CNP existent la Membru, cererea nr." + QString::fromStdString(rs->text("NR_CERE")) + "/"
        + QString::fromStdString(rs->text("DATACERE"));
}

void MemberDialog::save()
{
    incomeField->setText(income());
    nameField->setText(name());
    if (nameField->text().isEmpty())
        return ShowProblemHint("Lipseste numele omului!", nameField);
    if (!cnpField->isValid()
        && MessageDialog::Mesaj("Verificare date", "\rCNP incorect!\rContinuam asa?", kButtonsYesNo, kKindError) != kResultYes)
        return;
    // An absent code cannot belong to anyone else: blank codes are not compared.
    if (cnpField->text().isEmpty())
        return accept();
    saveButton->setEnabled(false);
    QString found;
    const bool searched = RunCommand([&] { found = memberElsewhere(); });
    saveButton->setEnabled(true);
    if (!searched)
        return;
    if (!found.isEmpty())
        return ShowProblemHint(found, cnpField);
    accept();
}
