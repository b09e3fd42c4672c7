// Starting the desktop's word processor on a document (used by the RTF
// engine when the "Utilizeaza Office 2010" option is on). Through ShellStart,
// so that the test mode of the shell helpers records it instead.
#pragma once

#include <QString>

namespace documents {

// The word processor's program: HESTAVO_WORD_PROCESSOR when set, else
// Microsoft Word, else LibreOffice Writer, whichever is found first on the
// search path; empty when there is none.
QString WordProcessorProgram();

// Starts the word processor on path, with the file's folder as working
// folder. False when there is none or it could not be started.
bool OpenInWordProcessor(const QString& path);

} // namespace documents
