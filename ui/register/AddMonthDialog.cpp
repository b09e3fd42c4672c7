#include "ui/register/AddMonthDialog.h"

#include "ui/common/DialogFields.h"

#include "register/WorkingMonths.h"
#include "ui/common/ProblemHint.h"

#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

AddMonthDialog::AddMonthDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("AdaugaF");
    setWindowTitle("Adaugare Luna");
    KeepTitleWhole(this);
    Luna = new QComboBox(this);
    Luna->setObjectName("Luna");
    for (int m = 1; m <= 12; ++m)
        Luna->addItem(QString::number(m).rightJustified(2, u'0'));
    Anul = new QLineEdit(QString::number(QDate::currentDate().year()), this);
    Anul->setObjectName("Anul");
    Anul->setMaxLength(4);
    Anul->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), Anul));
    auto* form = new QFormLayout;
    form->addRow("Luna", Luna);
    form->addRow("Anul", Anul);
    auto* add = new QPushButton("&Adauga", this);
    add->setObjectName("Adauga");
    add->setDefault(true);
    auto* cancel = new QPushButton("&Renunta", this);
    cancel->setObjectName("Renunta");
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &AddMonthDialog::addMonth);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AddMonthDialog::addMonth()
{
    bool ok = false;
    const int year = Anul->text().toInt(&ok);
    if (!ok || !hestavo::IsAcceptedNewMonthYear(year, QDate::currentDate().year())) {
        ShowProblemHint("Anul este scris gresit!", Anul);
        return;
    }
    m_result = Luna->currentText() + "." + Anul->text();
    accept();
}

QString AddMonthDialog::Run(QWidget* parent)
{
    AddMonthDialog dialog(parent);
    dialog.exec();
    return dialog.Result();
}
