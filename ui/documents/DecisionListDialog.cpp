#include "ui/documents/DecisionListDialog.h"

#include "data/Paths.h"
#include "documents/RtfTemplate.h"
#include "register/DocumentRefusal.h"
#include "register/WorkingMonth.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/DialogFields.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The first day of the month after today, chosen once while the program runs.
QDate& keptAidStart()
{
    static QDate d = QDate(QDate::currentDate().year(), QDate::currentDate().month(), 1).addMonths(1);
    return d;
}

} // namespace

DecisionListDialog::DecisionListDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("DecisionListDialog");
    setWindowTitle("Listare Dispozitii");
    fromNumber = NewNumberField(this, "FromNumber", 1);
    toNumber = NewNumberField(this, "ToNumber", 1);
    aidStart = NewDateField(this, "AidStart", keptAidStart());
    auto* form = new QFormLayout;
    form->addRow("incepand cu Dispozitia nr.", fromNumber);
    form->addRow("terminand cu Dispozitia nr.", toNumber);
    form->addRow("Ajutorul se acorda incepand cu", aidStart);
    QHBoxLayout* buttons = NewActionButtons(this, "&Listeaza", "List", [this] { confirm(); });
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
}

DecisionListDialog::~DecisionListDialog() { keptAidStart() = aidStart->date(); }

void DecisionListDialog::confirm()
{
    if (toNumber->text().toLongLong() < fromNumber->text().toLongLong())
        return ShowProblemHint("Intervalul ales este incorect!", fromNumber);
    accept();
}

void ListDecisionsOfStatus(const QString& status, QWidget* parent)
{
    DecisionListDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const hestavo::DecisionListing listing{status, dialog.fromNumber->text().toLongLong(),
                                           dialog.toNumber->text().toLongLong(), dialog.aidStart->date()};
    hestavo::RunCommand([&] {
        documents::RtfTemplate output;
        try {
            if (!output.PickDest(paths().tempFolder + "/Dispozitie"))
                throw hestavo::DocumentRefusal(QStringLiteral("Listare Dispozitii"), QStringLiteral("Nu pot scrie pe harddisk!"));
            const hestavo::AdminSettings settings = hestavo::LoadAdminSettings();
            hestavo::WriteDecisions(hestavo::WorkingMonthText(), listing, settings, output.RTFDest());
            output.OpenDocument(settings.cuOle);
        } catch (const hestavo::DocumentRefusal& refusal) {
            MessageDialog::Mesaj(refusal.title(), refusal.text(), kButtonOK, kKindError);
        }
    });
}
