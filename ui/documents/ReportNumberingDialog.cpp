#include "ui/documents/ReportNumberingDialog.h"

#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/DialogFields.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressSink.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

hestavo::ReportNumbering& kept()
{
    static hestavo::ReportNumbering k;
    return k;
}

} // namespace

ReportNumberingDialog::ReportNumberingDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("ReportNumberingDialog");
    setWindowTitle("Referate");
    fromNumber = NewNumberField(this, "FromNumber", kept().from);
    toNumber = NewNumberField(this, "ToNumber", kept().to);
    sameAsApplication = new QRadioButton("Acelasi numar cu cererea", this);
    sameAsApplication->setObjectName("SameAsApplication");
    fromFirst = new QRadioButton("Numere incepand cu", this);
    fromFirst->setObjectName("FromFirst");
    (kept().sameAsApplication ? sameAsApplication : fromFirst)->setChecked(true);
    firstNumber = NewNumberField(this, "FirstNumber", kept().first);
    auto* form = new QFormLayout;
    form->addRow("incepand cu cererea nr.", fromNumber);
    form->addRow("terminand cu cererea nr.", toNumber);
    form->addRow(sameAsApplication);
    form->addRow(fromFirst, firstNumber);
    QHBoxLayout* buttons = NewActionButtons(this, "&Numeroteaza", "Number", [this] { confirm(); });
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
}

ReportNumberingDialog::~ReportNumberingDialog() { kept() = input(); }

hestavo::ReportNumbering ReportNumberingDialog::input() const
{
    return {fromNumber->text().toLongLong(), toNumber->text().toLongLong(), sameAsApplication->isChecked(),
            firstNumber->text().toLongLong()};
}

void ReportNumberingDialog::confirm()
{
    const hestavo::NumberingProblem problem = hestavo::CheckReportNumbering(input());
    if (problem.field == 0)
        return ShowProblemHint(problem.text, fromNumber);
    if (problem.field >= 0)
        return ShowProblemHint(problem.text, firstNumber);
    accept();
}

bool RunReportNumbering(const hestavo::ReportNumbering& n)
{
    int numbered = 0;
    const bool done = hestavo::RunCommand([&] {
        hestavo::ProgressSink progress(QStringLiteral("Numerotez ..."));
        numbered = hestavo::NumberReports(hestavo::WorkingMonthText(), n, &progress);
    });
    if (done)
        MessageDialog::Mesaj("Numerotare Referate", "\r" + hestavo::ReportNumberingSummary(numbered, n), kButtonOK,
                             kKindInformation);
    return done;
}
