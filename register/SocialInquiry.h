// The social inquiry kept for an application in the data folder ("A" + NRCRT
// + ".rtf"): added once from its template (see ApplicationForms), shown, or
// deleted. The commands work on the file alone; the caller asks the user
// before a deletion.
#pragma once

#include <QString>

namespace hestavo {

// The inquiry's file. Throws DocumentRefusal ("Arata Ancheta") when the
// application has none.
QString ExistingInquiry(qint64 application);

// Throws DocumentRefusal ("Stergere Ancheta") when the application has no
// inquiry to delete.
void CheckInquiryToDelete(qint64 application);

// Deletes the inquiry's file. Throws DocumentRefusal ("Stergere Ancheta"),
// keeping the file, when there is none or another program holds it open.
void DeleteInquiry(qint64 application);

} // namespace hestavo
