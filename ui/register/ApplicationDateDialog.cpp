#include "ui/register/ApplicationDateDialog.h"

#include "register/MonthCorrections.h"
#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/DialogFields.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ApplicationDateDialog::ApplicationDateDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("ApplicationDateDialog");
    setWindowTitle("Cereri");
    auto* title = new QLabel("Schimba data la Cereri", this);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    title->setFont(bold);
    fromNumber = NewNumberField(this, "FromNumber", 0);
    toNumber = NewNumberField(this, "ToNumber", 0);
    date = NewDateField(this, "Date", QDate::currentDate());
    auto* form = new QFormLayout;
    form->addRow("incepand cu Cererea Nr.", fromNumber);
    form->addRow("terminand cu Cererea Nr.", toNumber);
    form->addRow("data de pus", date);
    QHBoxLayout* buttons = NewActionButtons(this, "&Pune Data", "PutDate", [this] { putDate(); });
    auto* top = new QVBoxLayout(this);
    top->addWidget(title);
    top->addLayout(form);
    top->addLayout(buttons);
    reset();
}

void ApplicationDateDialog::reset()
{
    fromNumber->setText("0");
    toNumber->setText("0");
    date->setDate(QDate::currentDate());
}

void ApplicationDateDialog::putDate()
{
    const qint64 from = fromNumber->text().toLongLong();
    const qint64 to = toNumber->text().toLongLong();
    if (from == 0)
        return ShowProblemHint("Numar incorect!", fromNumber);
    if (to == 0)
        return ShowProblemHint("Numar incorect!", toNumber);
    if (to < from)
        return ShowProblemHint("Intervalul ales este incorect!", fromNumber);
    if (!hestavo::RunCommand([&] { hestavo::SetApplicationDate(hestavo::WorkingMonthText(), from, to, date->date()); }))
        return;
    MessageDialog::Mesaj("Cereri", "Cererilor specificate li s-a setat data.", kButtonOK, kKindInformation);
    accept();
}
