#include "ui/documents/ApplicationFormsActions.h"

#include "documents/RtfTemplate.h"
#include "register/DocumentRefusal.h"
#include "register/SocialInquiry.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"

namespace hestavo {

namespace {

void OpenForUser(const QString& path, bool useWord)
{
    documents::RtfTemplate shown;
    shown.setRTFDest(path);
    shown.OpenDocument(useWord);
}

} // namespace

void RunDocumentCommand(const std::function<void()>& command)
{
    RunCommand([&] {
        try {
            command();
        } catch (const DocumentRefusal& refusal) {
            MessageDialog::Mesaj(refusal.title(), refusal.text(), kButtonOK, kKindError);
        }
    });
}

void ListApplicationForm(FormKind kind, qint64 application)
{
    RunDocumentCommand([&] {
        const AdminSettings settings = LoadAdminSettings();
        const FormOutcome outcome = PrepareForm(kind, application, settings, QDate::currentDate());
        for (const QString& warning : outcome.warnings)
            MessageDialog::Mesaj(QStringLiteral("Cerere/Ancheta"), warning, kButtonOK, kKindWarning);
        OpenForUser(outcome.path, settings.cuOle);
    });
}

void ShowInquiry(qint64 application)
{
    RunDocumentCommand([&] { OpenForUser(ExistingInquiry(application), LoadAdminSettings().cuOle); });
}

void AskDeleteInquiry(qint64 application)
{
    RunDocumentCommand([&] {
        CheckInquiryToDelete(application);
        if (MessageDialog::Mesaj(QStringLiteral("Stergere Ancheta"), QStringLiteral("Vreti sa stergeti ancheta?"),
                                 kDeleteQuestion, kKindWarning) == Answer::Yes)
            DeleteInquiry(application);
    });
}

} // namespace hestavo
