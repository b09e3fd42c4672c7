// Checks of identification data typed by the user: Romanian fiscal code (CIF),
// phone number and e-mail address.
#pragma once

#include <QString>

namespace hestavo {

// Fiscal code with its control digit; a letter prefix such as "RO" and spaces
// are allowed.
bool IsValidCIF(const QString& text);
// Ten digits beginning with 07, 03, 02 or 01; other characters are ignored.
bool IsValidPhone(const QString& text);
// name@domain.tld with plain characters and a 2- or 3-letter ending.
bool IsValidEmail(const QString& text);

} // namespace hestavo
