#include "ui/register/ApplicationDateDialog.h"

#include "register/MonthCorrections.h"
#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
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
    auto number = [this](const char* name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(10);
        e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), e));
        return e;
    };
    fromNumber = number("FromNumber");
    toNumber = number("ToNumber");
    date = new QDateEdit(this);
    date->setObjectName("Date");
    date->setDisplayFormat("dd.MM.yyyy");
    date->setCalendarPopup(true);
    auto* form = new QFormLayout;
    form->addRow("incepand cu Cererea Nr.", fromNumber);
    form->addRow("terminand cu Cererea Nr.", toNumber);
    form->addRow("data de pus", date);
    auto* put = new QPushButton("&Pune Data", this);
    put->setObjectName("PutDate");
    put->setDefault(true);
    auto* cancel = new QPushButton("&Renunt", this);
    cancel->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(put);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(title);
    top->addLayout(form);
    top->addLayout(buttons);
    connect(put, &QPushButton::clicked, this, &ApplicationDateDialog::putDate);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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
