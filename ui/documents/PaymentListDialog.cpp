#include "ui/documents/PaymentListDialog.h"

#include "data/Db.h"
#include "data/Settings.h"
#include "data/Shell.h"
#include "documents/OutputError.h"
#include "documents/PaymentList.h"
#include "ui/common/ComboFill.h"
#include "ui/common/MessageDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kConst = QStringLiteral("CONST");
const QString kPeriodKey = QStringLiteral("PERSTAT");

QComboBox* LetterList(QWidget* parent, const char* name, const QString& initial)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->addItems(SelectionLetters());
    list->setCurrentText(initial);
    return list;
}

} // namespace

PaymentListDialog& PaymentListDialog::instance()
{
    static PaymentListDialog* dialog = new PaymentListDialog;
    return *dialog;
}

PaymentListDialog::PaymentListDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("PaymentListDialog");
    setWindowTitle("Selectare cereri");
    Localit = new QComboBox(this);
    Localit->setObjectName("Localit");
    Localit->setMinimumWidth(260);
    Lit1 = LetterList(this, "Lit1", "A");
    Lit2 = LetterList(this, "Lit2", "Z");
    Stat1 = new QWidget(this);
    Stat1->setObjectName("Stat1");
    PerioadaS = new QLineEdit(Stat1);
    PerioadaS->setObjectName("PerioadaS");
    auto* periodRow = new QHBoxLayout(Stat1);
    periodRow->setContentsMargins(0, 0, 0, 0);
    periodRow->addWidget(new QLabel("Stat de plata pe luna", Stat1));
    periodRow->addWidget(PerioadaS, 1);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Doar pentru beneficiarii din Localitatea:", this), 0, 0, 1, 4);
    grid->addWidget(Localit, 1, 0, 1, 4);
    grid->addWidget(new QLabel("Nume beneficiarii a caror nume incepe cu:", this), 2, 0, 1, 4);
    grid->addWidget(new QLabel("incepand cu litera", this), 3, 0);
    grid->addWidget(Lit1, 3, 1);
    grid->addWidget(new QLabel("terminand cu", this), 3, 2);
    grid->addWidget(Lit2, 3, 3);

    auto* chosen = new QPushButton("&Am ales", this);
    chosen->setObjectName("Chosen");
    chosen->setDefault(true);
    auto* cancel = new QPushButton("&Renunt", this);
    cancel->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(chosen);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addWidget(Stat1);
    top->addLayout(buttons);
    connect(chosen, &QPushButton::clicked, this, &PaymentListDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void PaymentListDialog::prepare(int monthSerial, bool withPeriod)
{
    Localit->clear();
    Localit->addItem(QString::fromLatin1(kAllLocalities));
    FillComboDistinct(Localit, quotedTable("Cereri.dbf"), "LOCALIT", "LUNACRT=" + QString::number(monthSerial));
    Localit->setCurrentIndex(0);
    Stat1->setVisible(withPeriod);
    if (withPeriod)
        PerioadaS->setText(ReadSetting(kConst, kPeriodKey));
    setResult(QDialog::Rejected);
}

std::optional<PaymentSelection> PaymentListDialog::Ask(int monthSerial, bool withPeriod)
{
    prepare(monthSerial, withPeriod);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return selection();
}

void PaymentListDialog::confirm()
{
    if (!Stat1->isHidden()) {
        WriteSetting(kConst, kPeriodKey, PerioadaS->text());
        Stat1->setVisible(false);
    }
    accept();
}

PaymentSelection PaymentListDialog::selection() const
{
    PaymentSelection s;
    if (Localit->currentIndex() > 0)
        s.locality = Localit->currentText();
    s.firstLetter = Lit1->currentText().at(0);
    s.lastLetter = Lit2->currentText().at(0);
    return s;
}

QString PaymentListDialog::period() const { return PerioadaS->text(); }

void ShowPaymentList(int monthSerial)
{
    PaymentListDialog& dialog = PaymentListDialog::instance();
    try {
        std::optional<PaymentSelection> selection = dialog.Ask(monthSerial, true);
        if (!selection)
            return;
        ShellOpen(MakePaymentList(monthSerial, {*selection, dialog.period()}).file);
    } catch (const OutputError& e) {
        MessageDialog::Mesaj(e.title(), e.message(), kButtonOK, kKindError);
    } catch (const std::exception& e) {
        MessageDialog::Mesaj("Eroare", QString::fromUtf8(e.what()), kButtonOK, kKindError);
    }
}
