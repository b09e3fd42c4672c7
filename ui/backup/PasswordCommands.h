// The administrator password as the clerk meets it: the unlock of the main
// window's commands and the change from the administration window, with their
// messages. The password itself is kept by backup/Passwords.h.
#pragma once

#include <QString>

#include <functional>
#include <optional>

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
