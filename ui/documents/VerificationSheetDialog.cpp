#include "ui/documents/VerificationSheetDialog.h"

#include "data/Files.h"
#include "documents/RtfTemplate.h"
#include "register/DocumentRefusal.h"
#include "ui/common/DialogFields.h"
#include "ui/common/ProblemHint.h"
#include "ui/documents/ApplicationFormsActions.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

VerificationSheetDialog::VerificationSheetDialog(const QDate& from, const QDate& to, QWidget* parent) : QDialog(parent)
{
    setObjectName("VerificationSheetDialog");
    setWindowTitle("Fisa de verificare in teren");
    fromDate = NewDateField(this, "FromDate", from);
    toDate = NewDateField(this, "ToDate", to);
    auto* form = new QFormLayout;
    form->addRow(new QLabel("Perioada verificata", this));
    form->addRow("de la", fromDate);
    form->addRow("pana la", toDate);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addLayout(NewActionButtons(this, "&Listeaza", "List", [this] { confirm(); }));
}

void VerificationSheetDialog::confirm()
{
    if (toDate->date() < fromDate->date())
        return ShowProblemHint("Interval incorect!", fromDate);
    accept();
}

void VerificationSheetDialog::keyPressEvent(QKeyEvent* event)
{
    // A date typed and ended with Enter moves on to the next field; Enter on
    // a button presses that button.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return QDialog::keyPressEvent(event);
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
        button->click();
    else
        focusNextChild();
    event->accept();
}

void ListVerificationSheet(qint64 application, QWidget* parent)
{
    hestavo::RunDocumentCommand([&] {
        const QDate applied = hestavo::ApplicationDate(application);
        const QDate today = QDate::currentDate();
        VerificationSheetDialog dialog(applied.isValid() ? applied : today, today, parent);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const QString output = FreshTempFile(QStringLiteral("FisaV"), QStringLiteral(".rtf"));
        if (output.isEmpty())
            throw hestavo::DocumentRefusal(QStringLiteral("Fisa de verificare"), QStringLiteral("Nu pot scrie pe harddisk!"));
        hestavo::WriteVerificationSheet({application, dialog.fromDate->date(), dialog.toDate->date()},
                                        hestavo::LoadAdminSettings(), today, output);
        documents::RtfTemplate shown;
        shown.setRTFDest(output);
        shown.OpenDocument(false);
    });
}
