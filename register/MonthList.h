// The month-list operations behind the working-month form, without widgets,
// shared by the form and hestavo-cli: checking and adding a month, deleting a
// month with its applications and household members.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace hestavo {

// Why month (MM.YYYY) cannot be added to months: a text of another form or a
// year outside 2006 .. currentYear + 1 ("Anul este scris gresit!"), or a
// month already listed ("Luna aleasa exista deja!"). Empty when it can.
std::optional<QString> AddMonthRefusal(const QStringList& months, const QString& month, int currentYear);

// Adds month at the top of the stored month list and makes it the working
// month (what "&Adauga luna" then "&Memoreaza si inchide" store). The caller
// checked AddMonthRefusal.
void AddStoredMonth(const QString& month);

// Deletes month from months: its household members and applications in one
// transaction first (on an engine error, rethrown, nothing changes), then the
// list is written without it and the working month becomes the list's first
// month (empty when none is left). Returns the list left. Not logged.
QStringList DeleteMonth(const QStringList& months, const QString& month);

} // namespace hestavo
