#include "ui/documents/ReportRangeDialog.h"

#include "data/Files.h"
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

hestavo::ReportListing& kept()
{
    static hestavo::ReportListing k{0, 0, hestavo::DefaultReportDate()};
    return k;
}

} // namespace

ReportRangeDialog::ReportRangeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("ReportRangeDialog");
    setWindowTitle("Referate");
    fromNumber = NewNumberField(this, "FromNumber", kept().from);
    toNumber = NewNumberField(this, "ToNumber", kept().to);
    date = NewDateField(this, "ReportDate", kept().date);
    auto* form = new QFormLayout;
    form->addRow("incepand cu Referatul numarul", fromNumber);
    form->addRow("terminand cu Referatul numarul", toNumber);
    form->addRow("Data referatelor", date);
    QHBoxLayout* buttons = NewActionButtons(this, "&Listeaza", "List", [this] { confirm(); });
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(buttons);
}

ReportRangeDialog::~ReportRangeDialog() { kept() = input(); }

hestavo::ReportListing ReportRangeDialog::input() const
{
    return {fromNumber->text().toLongLong(), toNumber->text().toLongLong(), date->date()};
}

void ReportRangeDialog::confirm()
{
    if (toNumber->text().toLongLong() < fromNumber->text().toLongLong())
        return ShowProblemHint("Interval incorect!", fromNumber);
    accept();
}

void ListReports(QWidget* parent)
{
    ReportRangeDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const hestavo::ReportListing listing = dialog.input();
    hestavo::RunCommand([&] {
        try {
            const QString output = FreshTempFile(QStringLiteral("Referat"), QStringLiteral(".rtf"));
            if (output.isEmpty())
                throw hestavo::DocumentRefusal(QStringLiteral("Listare Referate"), QStringLiteral("Nu pot scrie pe harddisk!"));
            const hestavo::AdminSettings settings = hestavo::LoadAdminSettings();
            hestavo::WriteReports(hestavo::WorkingMonthText(), listing, settings, output);
            documents::RtfTemplate shown;
            shown.setRTFDest(output);
            shown.OpenDocument(settings.cuOle);
        } catch (const hestavo::DocumentRefusal& refusal) {
            MessageDialog::Mesaj(refusal.title(), refusal.text(), kButtonOK, kKindError);
        }
    });
}
