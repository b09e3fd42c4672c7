#include "ui/register/OtherMonthPicker.h"

#include "ui/common/DialogFields.h"

#include "data/Months.h"
#include "register/WorkingMonth.h"
#include "ui/common/ProblemHint.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OtherMonthPicker::OtherMonthPicker(QWidget* parent) : QDialog(parent)
{
    setObjectName("AddLuna");
    auto* banner = new QLabel("Alegeti luna", this);
    QFont big = banner->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    banner->setFont(big);
    banner->setAlignment(Qt::AlignCenter);
    Luna = new QComboBox(this);
    Luna->setObjectName("Luna");
    auto* chosen = new QPushButton("&Am ales luna", this);
    chosen->setObjectName("B_Ales");
    chosen->setDefault(true);
    auto* cancel = new QPushButton("Renunt", this);
    cancel->setObjectName("B_Renunt");
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chosen);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(banner);
    top->addWidget(Luna);
    top->addLayout(buttons);
    connect(chosen, &QPushButton::clicked, this, &OtherMonthPicker::acceptChoice);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void OtherMonthPicker::Prepare(const QString& title)
{
    setWindowTitle(title);
    KeepTitleWhole(this);
    QStringList months = ReadMonthList();
    months.removeAll(hestavo::WorkingMonthText());
    Luna->clear();
    Luna->addItems(months);
    Luna->setCurrentIndex(months.isEmpty() ? -1 : 0);
}

void OtherMonthPicker::acceptChoice()
{
    if (Luna->currentText().trimmed().isEmpty()) {
        ShowProblemHint("Alegeti mai intai o luna!", Luna);
        return;
    }
    accept();
}

bool PickOtherMonth(const QString& title, QString* month, QWidget* parent)
{
    OtherMonthPicker picker(parent);
    picker.Prepare(title);
    if (picker.exec() != QDialog::Accepted)
        return false;
    if (month)
        *month = picker.Luna->currentText();
    return true;
}
