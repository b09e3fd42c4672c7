// The administrator password: its digest (kept in "Hestavo.set", section
// "INIT", key WIN), the unlock of the main window's commands and the change of
// the password. The work functions take what the dialogs collected and report
// through MessageDialog, so the windows stay thin.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The digest of a password given as Windows-1250 bytes; the same text on every
// computer and in every run. Only ever compared for equality.
QByteArray PasswordDigest(const QByteArray& password);
// The same for program text (converted to Windows-1250 first).
QByteArray PasswordDigest(const QString& password);

// Administrator unlock. askPassword shows the login prompt and returns the
// typed text, or nullopt when the prompt was closed without verifying. Returns
// true when the commands are to be unlocked:
//   - no password set: warning "Administrare", then unlocked;
//   - the digest of the entry equals the stored one: unlocked;
//   - anything else (an empty entry included): error "Greseala!", locked.
bool AdministratorUnlock(const std::function<std::optional<QString>()>& askPassword);

// Password change from the administration window's two edits. Returns true
// when the stored password changed (set or removed), which tells the window to
// empty both edits.
bool ChangeAdminPassword(const QString& newPassword, const QString& repeated);
