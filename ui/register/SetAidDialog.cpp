#include "ui/register/SetAidDialog.h"

#include "ui/common/DialogFields.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SetAidDialog::SetAidDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("SetAidDialog");
    setWindowTitle("Pune/Sterge Ajutor");
    KeepTitleWhole(this);
    withAidOption = new QRadioButton("Seteaza CU Ajutor cererile active", this);
    withAidOption->setObjectName("WithAid");
    withAidOption->setChecked(true);
    withoutAidOption = new QRadioButton("Seteaza FARA Ajutor cererile active", this);
    withoutAidOption->setObjectName("WithoutAid");
    auto* change = new QPushButton("&Modifica", this);
    change->setObjectName("Change");
    change->setDefault(true);
    auto* cancel = new QPushButton("&Renunt", this);
    cancel->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(change);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(withAidOption);
    top->addWidget(withoutAidOption);
    top->addLayout(buttons);
    connect(change, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool SetAidDialog::withAid() const { return withAidOption->isChecked(); }
