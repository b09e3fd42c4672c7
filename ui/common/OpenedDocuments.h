// What the clerk is told about the documents the program hands to the
// desktop: where a document is when no program opened it (with the offer to
// open its folder), and, in the main window's status bar, that a document in
// the temporary folder stays there until the program is closed.
#pragma once

#include <QString>

// Installs NoteOpenedDocument as the watcher of ShellOpen (data/Shell.h).
void InstallOpenedDocumentNotices();

// After ShellOpen of path: the status bar note for a temporary document; when
// it did not open, a message naming it, and for a file the question
// "Deschidem folderul ...?" whose "Da" opens the folder it is in.
void NoteOpenedDocument(const QString& path, bool opened);
