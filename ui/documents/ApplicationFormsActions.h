// The register's commands on the documents of the current application: the
// full and short forms ("Listeaza cerere"), and the social inquiry ("Anchete":
// "Adauga", "Arata", "Sterge"), with their messages and questions; the files
// are opened for the user in the word processor or by the desktop, as the
// administration's Office option says.
#pragma once

#include "register/ApplicationForms.h"

#include <functional>

namespace hestavo {

// Runs a document command: a refusal shows as an error box with its title,
// any other failure as the command guard shows it.
void RunDocumentCommand(const std::function<void()>& command);

// Fills the form (or the inquiry) unless it exists, shows the warnings of
// the fill, and opens the file.
void ListApplicationForm(FormKind kind, qint64 application);

// "Arata": opens the inquiry, or says there is none.
void ShowInquiry(qint64 application);

// "Sterge": asks, then deletes the inquiry; says why when it cannot.
void AskDeleteInquiry(qint64 application);

} // namespace hestavo
