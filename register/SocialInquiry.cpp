#include "register/SocialInquiry.h"

#include "documents/TemplateStore.h"
#include "register/ApplicationForms.h"
#include "register/DocumentRefusal.h"

#include <QFile>

namespace hestavo {

namespace {

const QString kDeleteTitle = QStringLiteral("Stergere Ancheta");

} // namespace

QString ExistingInquiry(qint64 application)
{
    const QString file = FormFile(FormKind::Inquiry, application);
    if (!QFile::exists(file))
        throw DocumentRefusal(QStringLiteral("Arata Ancheta"),
                              QStringLiteral("\rLa aceasta Cerere, nu aveti Ancheta!\rApasati mai intai butonul Adauga!"));
    return file;
}

void CheckInquiryToDelete(qint64 application)
{
    if (!QFile::exists(FormFile(FormKind::Inquiry, application)))
        throw DocumentRefusal(kDeleteTitle, QStringLiteral("\rLa aceasta Cerere nu aveti Ancheta!"));
}

void DeleteInquiry(qint64 application)
{
    CheckInquiryToDelete(application);
    const QString file = FormFile(FormKind::Inquiry, application);
    // A word processor may keep the file open without locking it (LibreOffice
    // marks it with a lock file): the open document is left alone.
    if (TemplateIsOpen(file) || !QFile::remove(file))
        throw DocumentRefusal(kDeleteTitle, QStringLiteral("\rAncheta este deschisa! N-o pot sterge!"));
}

} // namespace hestavo
