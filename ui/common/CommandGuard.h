// Runs the work of a window command so that an engine or file failure is
// shown in the error dialog, with the failing operation's own message, instead
// of escaping into the event loop and ending the program.
#pragma once

#include <QObject>

#include <functional>

namespace hestavo {

// False when the command failed (the message has been shown).
bool RunCommand(const std::function<void()>& command);

// Connects a signal (a button's click, a menu item, a key) to a window
// command that runs under RunCommand, so that no failure of the command ends
// the program, whichever of its steps fails.
template <class Sender, class Signal, class Command>
QMetaObject::Connection ConnectCommand(Sender* sender, Signal signal, QObject* context, Command command)
{
    return QObject::connect(sender, signal, context, [command] { RunCommand(command); });
}

} // namespace hestavo
