#include "ui/documents/SingleDecisionDialog.h"

#include "documents/SpreadsheetOutput.h"
#include "register/DocumentRefusal.h"
#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/DialogFields.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/TextInput.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// Today's date when the dialog is first opened, then the last one chosen.
QDate& keptStart()
{
    static QDate d = QDate::currentDate();
    return d;
}

QLineEdit* NewTextField(QWidget* parent, const QString& objectName, const QString& text)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(objectName);
    e->setMinimumWidth(260);
    return e;
}

} // namespace

SingleDecisionDialog::SingleDecisionDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("SingleDecisionDialog");
    setWindowTitle("Dispozitie Unica");
    const hestavo::SingleDecisionChoice stored = hestavo::StoredSingleDecisionTexts();
    number = NewNumberField(this, "DecisionNumber", 0);
    start = NewDateField(this, "Start", keptStart());
    period = NewTextField(this, "Period", stored.period);
    paymentDate = NewTextField(this, "PaymentDate", stored.paymentDate);
    tribunal = NewTextField(this, "Tribunal", stored.tribunal);
    auto* form = new QFormLayout;
    form->addRow("Numarul Dispozitiei", number);
    form->addRow("se stabileste incepand cu", start);
    form->addRow("pentru perioada", period);
    form->addRow("Data platii", paymentDate);
    form->addRow("Solutionari la Tribunalul", tribunal);
    QHBoxLayout* buttons = NewActionButtons(this, "&Listeaza", "List", [this] { confirm(); });
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
}

SingleDecisionDialog::~SingleDecisionDialog() { keptStart() = start->date(); }

hestavo::SingleDecisionChoice SingleDecisionDialog::choice() const
{
    return {number->text().toLongLong(), start->date(), period->text(), paymentDate->text(), tribunal->text()};
}

void SingleDecisionDialog::confirm()
{
    const hestavo::SingleDecisionChoice c = choice();
    const QString problem = hestavo::SingleDecisionProblem(c);
    if (!problem.isEmpty())
        return ShowProblemHint(problem, number);
    hestavo::StoreSingleDecisionTexts(c);
    accept();
}

void ListSingleDecision(QWidget* parent)
{
    SingleDecisionDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const hestavo::SingleDecisionChoice choice = dialog.choice();
    hestavo::RunCommand([&] {
        try {
            const hestavo::SingleDecisionResult result =
                hestavo::WriteSingleDecision(hestavo::WorkingMonthText(), choice, hestavo::LoadAdminSettings());
            SpreadsheetOutput::ShellOpen(result.file);
        } catch (const hestavo::DocumentRefusal& refusal) {
            MessageDialog::Mesaj(refusal.title(), refusal.text(), kButtonOK, kKindError);
        }
    });
}
