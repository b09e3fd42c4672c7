// The work of the administrator's commands on the editable templates: bring
// one back to its shipped form, and the menu under "Modifica modele de
// listare" that offers the commands (their messages: ui/documents/TemplateMenu.h).
#pragma once

#include "documents/TemplateStore.h"

#include <QString>
#include <QStringList>
#include <vector>

enum class RestoreResult { Restored, Open };

// Deletes the data-folder copy and writes the shipped form again (with every
// other missing editable template). Open, with nothing changed, when another
// program holds the file.
RestoreResult RestoreTemplateFile(const EditableTemplate& t);

// One leaf of the templates menu: its captions from the top level down and
// the data-folder file it works on. In menu order.
struct TemplateMenuEntry {
    QStringList path;
    QString file;
};
const std::vector<TemplateMenuEntry>& TemplateMenuEntries();

// The captions of the two items of every leaf.
inline const char* const kEditTemplateItem = "Modifica modelul";
inline const char* const kRestoreTemplateItem = "Refa modelul initial";
