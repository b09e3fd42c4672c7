// The administrator password, kept as a digest in "Hestavo.set" (section
// "INIT", key WIN): the digest, the check of an entry and the change. The unlock of the
// main window's commands and the change dialog's messages are in
// ui/backup/PasswordCommands.h.
#pragma once

#include <QByteArray>
#include <QString>

// The digest of a password given as Windows-1250 bytes; the same text on every
// computer and in every run. Only ever compared for equality.
QByteArray PasswordDigest(const QByteArray& password);
// The same for program text (converted to Windows-1250 first).
QByteArray PasswordDigest(const QString& password);

// Whether the settings file holds an administrator password.
bool HasAdminPassword();

// The entry is the stored password (an empty entry never is).
bool AdminPasswordMatches(const QString& entry);

// Stores the password's digest; an empty password removes it.
void StoreAdminPassword(const QString& password);
