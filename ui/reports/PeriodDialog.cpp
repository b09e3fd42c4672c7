#include "ui/reports/PeriodDialog.h"

#include "ui/common/DialogFields.h"
#include "ui/common/ProblemHint.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// The dates of this run: the proposal at the first opening, then the last
// dates the dialog held.
std::pair<QDate, QDate>& kept()
{
    static std::pair<QDate, QDate> dates = PeriodDialog::ProposedPeriod(QDate::currentDate());
    return dates;
}

} // namespace

std::pair<QDate, QDate> PeriodDialog::ProposedPeriod(const QDate& today)
{
    const int novemberYear = today.month() >= 10 ? today.year() : today.year() - 1;
    return {QDate(novemberYear, 11, 1), QDate(novemberYear + 1, 3, 31)};
}

PeriodDialog::PeriodDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("PeriodDialog");
    setWindowTitle("Rapoarte");
    Data0 = NewDateField(this, "Data0", kept().first);
    Data1 = NewDateField(this, "Data1", kept().second);
    auto* group = new QGroupBox("Perioada raportata", this);
    auto* form = new QFormLayout(group);
    form->addRow("de la", Data0);
    form->addRow("pana la", Data1);
    auto* top = new QVBoxLayout(this);
    top->addWidget(group);
    top->addLayout(NewActionButtons(this, "&Am ales", "Chosen", [this] { confirm(); }));
}

PeriodDialog::~PeriodDialog() { kept() = {from(), to()}; }

void PeriodDialog::confirm()
{
    if (to() < from())
        return ShowProblemHint("Perioada incorecta!", Data1);
    accept();
}

QDate PeriodDialog::from() const { return Data0->date(); }
QDate PeriodDialog::to() const { return Data1->date(); }

// Enter in a date moves on to the next control instead of choosing.
bool ChoosePeriod(QWidget* parent, QDate* from, QDate* to)
{
    PeriodDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *from = dialog.from();
    *to = dialog.to();
    return true;
}
