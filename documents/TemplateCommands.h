// The administrator's commands on the editable templates: edit one with the
// desktop's program for its type, or bring it back to its shipped form; and
// the menu under "Modifica modele de listare" that offers them.
#pragma once

#include "documents/TemplateStore.h"

#include <QString>
#include <QStringList>
#include <vector>

// Shows the editing advice and hands the template file to the desktop (also
// when it does not exist; the desktop's answer is not examined).
void EditTemplate(const EditableTemplate& t);

enum class RestoreResult { Restored, Open };

// Deletes the data-folder copy and writes the shipped form again (with every
// other missing editable template). Open, with nothing changed, when another
// program holds the file.
RestoreResult RestoreTemplateFile(const EditableTemplate& t);

// The restore command: asks for confirmation, restores and reports the
// outcome in the program's messages. True when the template was restored.
bool RestoreTemplate(const EditableTemplate& t);

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
