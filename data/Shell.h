// The desktop shell, each through one function so that tests can script and
// record it (see TestMode.h): opening a finished document and starting a
// program. Opening is done by whatever the window layer installs; a program
// without windows (hestavo-cli) installs nothing, so nothing is opened.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Opens a document, spreadsheet, PDF or folder with the desktop's program for
// it. False when the desktop refused, or when no opener is installed. Either
// way the watcher, when one is installed, is told (the window program says
// where a document that did not open is).
bool ShellOpen(const QString& path);

// Told of every ShellOpen: the path and whether the desktop opened it.
using ShellOpenWatcher = std::function<void(const QString& path, bool opened)>;
void SetShellOpenWatcher(ShellOpenWatcher watcher);

// The installed opener alone, without the watcher (opening the folder of a
// document that did not open). False when none is installed or it refused.
bool OpenWithDesktop(const QString& path);

// The desktop's opener, installed once by the window program.
using DesktopOpener = std::function<bool(const QString& path)>;
void SetDesktopOpener(DesktopOpener opener);

// Starts a program without waiting for it, with its arguments and working
// folder. False when it could not be started.
bool ShellStart(const QString& program, const QStringList& arguments, const QString& workFolder);
