// The automatic-save folder setting (machine setting CALESALVARI, "-" for
// none) and the write probe that decides whether a folder can take archives.
#pragma once

#include <QString>

namespace backup {

// Creates the folder when missing, then creates and deletes the probe file
// "test.txt" in it. True when both worked.
bool CanWriteIn(const QString& folder);

// Makes folder (trailing separators removed) the automatic-save folder of
// this run and of the machine settings.
void SetAutoSaveFolder(const QString& folder);

// Turns the automatic save off: CALESALVARI = "-".
void DisableAutoSave();

} // namespace backup
