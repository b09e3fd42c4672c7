#include "ui/documents/DecisionNumberingDialog.h"

#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/DialogFields.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressSink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The choices kept while the program runs.
struct Kept {
    QDate date = QDate::currentDate();
    int selection = 0;
    bool sameNumber = false;
    bool clearOthers = false;
};
Kept& kept()
{
    static Kept k;
    return k;
}

} // namespace

DecisionNumberingDialog::DecisionNumberingDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("DecisionNumberingDialog");
    setWindowTitle("Numerotare Dispozitii");
    fromNumber = NewNumberField(this, "FromNumber", 0);
    toNumber = NewNumberField(this, "ToNumber", 0);
    firstNumber = NewNumberField(this, "FirstNumber", 0);
    date = NewDateField(this, "DecisionDate", kept().date);
    selection = new QComboBox(this);
    selection->setObjectName("Selection");
    selection->addItems(hestavo::DecisionSelectionCaptions());
    selection->setCurrentIndex(kept().selection);
    sameNumber = new QCheckBox("Da acelasi numar de dispozitie la toate cererile", this);
    sameNumber->setObjectName("SameNumber");
    sameNumber->setChecked(kept().sameNumber);
    clearOthers = new QCheckBox("Sterge numarul de dispozitii la celelalte cereri", this);
    clearOthers->setObjectName("ClearOthers");
    clearOthers->setChecked(kept().clearOthers);
    // The plain approvals get the single decision: one number for all.
    connect(selection, &QComboBox::currentIndexChanged, this,
            [this](int i) { sameNumber->setChecked(i == int(hestavo::DecisionSelection::Approved)); });

    auto* form = new QFormLayout;
    form->addRow("incepand cu cererea nr.", fromNumber);
    form->addRow("terminand cu cererea nr.", toNumber);
    form->addRow("dispozitii incepand cu numarul", firstNumber);
    form->addRow("din data", date);
    form->addRow("Numeroteaza doar cererile", selection);
    QHBoxLayout* buttons = NewActionButtons(this, "&Numeroteaza", "Number", [this] { numberThem(); });
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(sameNumber);
    top->addWidget(clearOthers);
    top->addLayout(buttons);
}

DecisionNumberingDialog::~DecisionNumberingDialog()
{
    kept() = {date->date(), selection->currentIndex(), sameNumber->isChecked(), clearOthers->isChecked()};
}

hestavo::DecisionNumbering DecisionNumberingDialog::input() const
{
    return {fromNumber->text().toLongLong(), toNumber->text().toLongLong(), firstNumber->text().toLongLong(),
            date->date(), hestavo::DecisionSelection(selection->currentIndex()), sameNumber->isChecked(),
            clearOthers->isChecked()};
}

void DecisionNumberingDialog::numberThem()
{
    const hestavo::DecisionNumbering n = input();
    const hestavo::NumberingProblem problem = hestavo::CheckDecisionNumbering(n);
    if (problem.field >= 0) {
        QWidget* const fields[] = {fromNumber, toNumber, firstNumber, date};
        return ShowProblemHint(problem.text, fields[problem.field]);
    }
    int numbered = 0;
    const bool done = hestavo::RunCommand([&] {
        hestavo::ProgressSink progress(QStringLiteral("Renumerotez ..."));
        numbered = hestavo::NumberDecisions(hestavo::WorkingMonthText(), n, &progress);
    });
    if (done)
        MessageDialog::Mesaj("Numerotare dispozitii", "\r" + hestavo::DecisionNumberingSummary(numbered, n), kButtonOK,
                             kKindInformation);
    accept();
}
