// How a finished document is shown to the user: handed to the desktop's "open"
// action, or started in the desktop's word processor. Both go through a
// replaceable function so that tests (and the start-up code) can take them over.
#pragma once

#include <QString>

#include <functional>

namespace documents {

// Opens path for the user; returns false when nothing could be started.
using FileOpener = std::function<bool(const QString& path)>;

// The shell's "open" action. Default: QDesktopServices::openUrl on the local file.
bool shellOpen(const QString& path);
// Replaces the "open" action; an empty function restores the default.
void setShellOpener(FileOpener opener);

// Starts the desktop's word processor on path. Default: Microsoft Word, or
// LibreOffice Writer, whichever is found first on the search path; false when
// none can be started.
bool openInWordProcessor(const QString& path);
// Replaces the word-processor start; an empty function restores the default.
void setWordProcessorOpener(FileOpener opener);

} // namespace documents
