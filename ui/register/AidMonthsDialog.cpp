#include "ui/register/AidMonthsDialog.h"

#include "ui/common/DialogFields.h"

#include "ui/common/ProblemHint.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

AidMonthsDialog::AidMonthsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("AidMonthsDialog");
    setWindowTitle("Modificare Nr.luni");
    KeepTitleWhole(this);
    monthsField = new QLineEdit(this);
    monthsField->setObjectName("Months");
    monthsField->setMaxLength(1);
    monthsField->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]?"), monthsField));
    auto* change = new QPushButton("&Modifica", this);
    change->setObjectName("Change");
    change->setDefault(true);
    auto* cancel = new QPushButton("&Renunt", this);
    cancel->setObjectName("Cancel");
    auto* field = new QHBoxLayout;
    field->addWidget(new QLabel("Noul numar de luni", this));
    field->addWidget(monthsField);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(change);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(field);
    top->addLayout(buttons);
    connect(change, &QPushButton::clicked, this, &AidMonthsDialog::confirm);
    connect(monthsField, &QLineEdit::returnPressed, this, &AidMonthsDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int AidMonthsDialog::months() const { return monthsField->text().toInt(); }

void AidMonthsDialog::confirm()
{
    if (months() < 1 || months() > 5)
        return ShowProblemHint("Numar de luni incorect!", monthsField);
    accept();
}
