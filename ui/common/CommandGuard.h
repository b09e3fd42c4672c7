// Runs the work of a window command so that an engine or file failure is
// shown in the error dialog, with the failing operation's own message, instead
// of escaping into the event loop and ending the program.
#pragma once

#include <functional>

namespace hestavo {

// False when the command failed (the message has been shown).
bool RunCommand(const std::function<void()>& command);

} // namespace hestavo
