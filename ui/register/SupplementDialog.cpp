#include "ui/register/SupplementDialog.h"

#include "data/Db.h"
#include "data/Months.h"
#include "register/RegisterQueries.h"
#include "register/WorkingMonth.h"
#include "ui/common/ComboFill.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/TextInput.h"
#include "ui/register/CnpEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace hestavo;

SupplementDialog::SupplementDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("SupplementDialog");
    setWindowTitle("Date Supliment");
    title = new QLabel(this);
    title->setObjectName("Title");
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 3);
    title->setFont(bold);
    holderName = new QLineEdit(this);
    holderName->setObjectName("HolderName");
    holderName->setMaxLength(32);
    ForceUpperCase(holderName);
    holderCnp = new CnpEdit(this);
    holderCnp->setObjectName("HolderCnp");
    supplier = new QComboBox(this);
    supplier->setObjectName("Supplier");
    supplier->setEditable(true);
    supplier->setInsertPolicy(QComboBox::NoInsert);
    supplier->lineEdit()->setMaxLength(60);
    ForceUpperCase(supplier->lineEdit());
    clientCode = new QLineEdit(this);
    clientCode->setObjectName("ClientCode");
    clientCode->setMaxLength(40);
    ForceUpperCase(clientCode);
    pod = new QLineEdit(this);
    pod->setObjectName("Pod");
    pod->setMaxLength(40);
    pod->setToolTip("Punct de consum");
    ForceUpperCase(pod);
    onlySourceBox = new QCheckBox("Este singura sursa de energie din locuinta", this);
    onlySourceBox->setObjectName("OnlySource");
    saveButton = new QPushButton("&Memoreaza", this);
    saveButton->setObjectName("Save");
    cancelButton = new QPushButton("&Renunt", this);
    cancelButton->setObjectName("Cancel");
    deleteButton = new QPushButton("&Sterge", this);
    deleteButton->setObjectName("Delete");

    auto* holder = new QGroupBox("Titular de Contract", this);
    auto* holderForm = new QFormLayout(holder);
    holderForm->addRow("Nume si prenume", holderName);
    holderForm->addRow("C.N.P.", holderCnp);
    auto* form = new QFormLayout;
    form->addRow("Denumire Furnizor", supplier);
    form->addRow("Cod de client", clientCode);
    podLabel = new QLabel("CLC (POD)", this);
    form->addRow(podLabel, pod);
    form->addRow(onlySourceBox);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(deleteButton);
    auto* top = new QVBoxLayout(this);
    top->addWidget(title);
    top->addWidget(holder);
    top->addLayout(form);
    top->addLayout(buttons);
    supplier->setMinimumWidth(supplier->fontMetrics().averageCharWidth() * 44);
    connect(saveButton, &QPushButton::clicked, this, &SupplementDialog::save);
    connect(cancelButton, &QPushButton::clicked, this, [this] { done(Cancelled); });
    connect(deleteButton, &QPushButton::clicked, this, &SupplementDialog::remove);
    EnterMovesToNextInput(this);
}

void SupplementDialog::prepare(char kind, const SupplyContract& contract, const QString& applicant,
                               const QString& applicantCnp, bool onlySource, qint64 memberKey)
{
    m_kind = kind;
    m_memberKey = memberKey;
    podLabel->setVisible(hasPod());
    pod->setVisible(hasPod());
    supplier->clear();
    FillComboDistinct(supplier, quotedTable("Cereri.dbf"), QStringLiteral("FURN") + QChar(kind), QString());
    onlySourceBox->setVisible(kind == 'E');
    onlySourceBox->setChecked(kind == 'E' && onlySource);
    const bool noHolder = contract.holder.isEmpty();
    holderName->setText(noHolder ? applicant : contract.holder);
    holderCnp->setText(noHolder ? applicantCnp : contract.holderCnp);
    supplier->setEditText(contract.supplier);
    clientCode->setText(contract.clientCode);
    pod->setText(hasPod() ? contract.pod : QStringLiteral("0"));
    title->setText(kind == 'G' ? "Supliment Gaz" : kind == 'E' ? "Supliment Electrica" : "Supliment Termica");
    deleteButton->setEnabled(!supplier->currentText().isEmpty());
    holderName->setFocus();
}

int SupplementDialog::EditSupplement(char kind, const SupplyContract& contract, const QString& applicant,
                                     const QString& applicantCnp, bool onlySource, qint64 memberKey)
{
    prepare(kind, contract, applicant, applicantCnp, onlySource, memberKey);
    return exec();
}

SupplyContract SupplementDialog::contract() const
{
    SupplyContract c;
    c.holder = CleanText(holderName->text());
    c.holderCnp = holderCnp->text();
    c.supplier = CleanText(supplier->currentText());
    c.clientCode = CleanText(clientCode->text());
    c.pod = hasPod() ? CleanText(pod->text()) : QString();
    return c;
}

bool SupplementDialog::onlySource() const { return m_kind == 'E' && onlySourceBox->isChecked(); }

QString SupplementDialog::sameContractElsewhere() const
{
    const SupplyContract c = contract();
    const std::optional<Holder> found =
        ContractInMonth(m_kind, c.supplier, c.clientCode, c.pod, MonthToSerial(WorkingMonthText()), m_memberKey);
    if (!found)
        return QString();
    QString what;
    if (found->clientCode == c.clientCode)
        what = "acelasi Cod de client";
    if (hasPod() && !c.pod.isEmpty() && found->pod == c.pod)
        what += (what.isEmpty() ? "" : " si ") + QStringLiteral("acelasi POD");
    return "Mai exista " + what + "\rla Cererea " + found->number + "/" + found->date + " - " + found->name
        + "!\rContinuam asa?";
}

void SupplementDialog::save()
{
    const SupplyContract c = contract();
    supplier->setEditText(c.supplier);
    clientCode->setText(c.clientCode);
    holderName->setText(c.holder);
    if (hasPod())
        pod->setText(c.pod);
    if (c.supplier.isEmpty())
        return ShowProblemHint("Lipseste Furnizorul!", supplier);
    if (hasPod() && c.clientCode.size() < 3)
        return ShowProblemHint("Lipseste Codul de Client!", clientCode);
    if (!holderCnp->text().isEmpty() && !holderCnp->isValid())
        return ShowProblemHint("CNP incorect!", holderCnp);
    // A thermal contract has no rule for its client code: an empty one is
    // accepted, and an empty code is not searched for.
    if (!c.clientCode.isEmpty()) {
        QString question;
        if (!RunCommand([&] { question = sameContractElsewhere(); }))
            return;
        if (!question.isEmpty()
            && MessageDialog::Mesaj("Verificare Coduri", question, kOverrideQuestion, kKindWarning) != Answer::Yes)
            return;
    }
    done(Saved);
}

void SupplementDialog::remove()
{
    if (MessageDialog::Mesaj("Stergere Supliment", "\rDoriti sa stergeti suplimentul?", kDeleteQuestion,
                             kKindConfirmation) == Answer::Yes)
        done(Deleted);
}
