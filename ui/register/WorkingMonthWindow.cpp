#include "ui/register/WorkingMonthWindow.h"

#include "data/Db.h"
#include "data/Months.h"
#include "register/MonthList.h"
#include "register/WorkingMonth.h"
#include "register/WorkingMonths.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/register/AddMonthDialog.h"
#include "ui/register/HouseholdImportCommand.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

using namespace hestavo;

WorkingMonthWindow::WorkingMonthWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("PerioadaF");
    setWindowTitle("Hestavo");

    auto* banner = new QLabel("Luna de lucru", this);
    banner->setObjectName("Banner");
    QFont big = banner->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    banner->setFont(big);
    banner->setAlignment(Qt::AlignCenter);
    banner->setStyleSheet("QLabel { color: #1F3F7F; padding: 6px; }");

    Luna = new QComboBox(this);
    Luna->setObjectName("Luna");
    Luna->setEditable(false);
    Luna->setMinimumWidth(140);
    QFont monthFont = Luna->font();
    monthFont.setPointSize(monthFont.pointSize() + 4);
    Luna->setFont(monthFont);

    auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    B_Adauga = button("&Adauga luna", "B_Adauga");
    B_Sterge = button("&Sterge luna", "B_Sterge");
    // Made in the order they stand on the form, which is also the Tab order.
    B_Import = button("Import dosare din VMG sau ASF", "B_Import");
    B_Renunta = button("&Renunta si inchide", "B_Renunta");
    B_Memoreaza = button("&Memoreaza si inchide", "B_Memoreaza");
    auto* importMenu = new QMenu(this);
    importMenu->setObjectName("ImportMenu");
    connect(importMenu->addAction("Import din VMG"), &QAction::triggered, this,
            [this] { RunCommand([this] { RunHouseholdImport(this, ImportKind::Vmg); }); });
    connect(importMenu->addAction("Import din ASF"), &QAction::triggered, this,
            [this] { RunCommand([this] { RunHouseholdImport(this, ImportKind::Asf); }); });
    connect(B_Import, &QPushButton::clicked, this, [this, importMenu] {
        importMenu->popup(B_Import->mapToGlobal(QPoint(0, B_Import->height())));
    });

    auto* monthRow = new QHBoxLayout;
    monthRow->addStretch();
    monthRow->addWidget(new QLabel("Luna in lucru", this));
    monthRow->addWidget(Luna);
    monthRow->addStretch();
    auto* editRow = new QHBoxLayout;
    editRow->addWidget(B_Adauga);
    editRow->addWidget(B_Sterge);
    auto* closeRow = new QHBoxLayout;
    closeRow->addWidget(B_Renunta);
    closeRow->addWidget(B_Memoreaza);
    auto* top = new QVBoxLayout(this);
    top->addWidget(banner);
    top->addLayout(monthRow);
    top->addLayout(editRow);
    top->addWidget(B_Import);
    top->addLayout(closeRow);

    connect(B_Adauga, &QPushButton::clicked, this, [this] { RunCommand([this] { AddMonth(AddMonthDialog::Run(this)); }); });
    connect(B_Sterge, &QPushButton::clicked, this, [this] { RunCommand([this] { deleteMonth(); }); });
    connect(B_Renunta, &QPushButton::clicked, this, &QDialog::reject);
    connect(B_Memoreaza, &QPushButton::clicked, this, [this] { RunCommand([this] { saveAndClose(); }); });
}

QStringList WorkingMonthWindow::Months() const
{
    QStringList list;
    for (int i = 0; i < Luna->count(); ++i)
        list << Luna->itemText(i);
    return list;
}

void WorkingMonthWindow::Prepare()
{
    Luna->clear();
    Luna->addItems(ReadMonthList());
    Luna->setCurrentIndex(Luna->findText(WorkingMonthText()));
}

void WorkingMonthWindow::Open()
{
    // A list file that cannot be read is reported and the form stays closed,
    // so that saving cannot replace the file with an empty list.
    if (RunCommand([this] { Prepare(); }))
        exec();
}

void WorkingMonthWindow::AddMonth(const QString& month)
{
    if (month.isEmpty())
        return;
    if (Luna->findText(month) >= 0) {
        ShowProblemHint("Luna aleasa exista deja!", Luna);
        return;
    }
    Luna->insertItem(0, month);
    Luna->setCurrentIndex(0);
    SetWorkingMonth(month);
}

void WorkingMonthWindow::saveAndClose()
{
    WriteMonthList(Months()); // an empty list deletes the file
    SetWorkingMonth(Luna->currentIndex() < 0 ? QString() : Luna->currentText());
    accept();
}

void WorkingMonthWindow::deleteMonth()
{
    if (Luna->count() == 0) {
        ShowProblemHint("Nu mai aveti ce sterge!", B_Sterge);
        return;
    }
    // The working month may be missing from the list: then nothing is
    // selected and there is no month to delete until the user picks one.
    if (Luna->currentIndex() < 0) {
        ShowProblemHint("Alegeti mai intai o luna!", Luna);
        return;
    }
    const QString month = Luna->currentText();
    if (MessageDialog::Mesaj("Stergere luna", "Doriti sa sterg luna " + month + "\rcu toate cererile aferente?",
                      kDeleteQuestion, kKindWarning)
        != Answer::Yes)
        return;
    if (MessageDialog::Mesaj("Stergere luna",
                      "Daca aveti cereri pe luna aceasta,\rLE STERG DE TOT DE TOT !!!\rStergem totusi ?",
                      kDeleteQuestion, kKindWarning)
        != Answer::Yes)
        return;

    // The data go first, in one transaction: when the engine fails, the month
    // stays in the list with all its applications and members.
    const QStringList left = DeleteMonth(Months(), month);
    Luna->clear();
    Luna->addItems(left);
    Luna->setCurrentIndex(Luna->count() > 0 ? 0 : -1);
}
