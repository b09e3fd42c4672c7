#include "ui/documents/TemplateMenu.h"

#include "data/Db.h"
#include "data/Shell.h"
#include "ui/common/MessageDialog.h"

void EditTemplate(const EditableTemplate& t)
{
    MessageDialog::Mesaj(QStringLiteral("Modificare formulare"),
                         QStringLiteral("Dupa modificare, apasati SAVE!\r"
                                        "Nu modificati textul dintre parantezele patrate!\r"
                                        "Parantezele patrate vor fi inlocuite cu valori la listare!"),
                         kButtonOK, kKindWarning);
    ShellOpen(EditableTemplatePath(t));
}

bool RestoreTemplate(const EditableTemplate& t)
{
    const Answer answer = MessageDialog::Mesaj(QStringLiteral("Refacere model"),
                                               "\rDoriti readucerea modelului de " + t.displayName
                                                   + " la forma initiala?\r( Acesta trebuie sa fie inchis! )",
                                               kOverrideQuestion, kKindConfirmation);
    if (answer != Answer::Yes)
        return false;
    if (RestoreTemplateFile(t) == RestoreResult::Open) {
        MessageDialog::Mesaj(QStringLiteral("Initializare model"),
                             "\rModelul de " + t.displayName + " este deschis!\rInchideti-l si mai incercati odata!",
                             kButtonOK, kKindError);
        return false;
    }
    LogAction("Refacere model " + t.displayName + ".");
    MessageDialog::Mesaj(QStringLiteral("Refacere Model"), "\rModelul de " + t.displayName + " a fost refacut!",
                         kButtonOK, kKindInformation);
    return true;
}
