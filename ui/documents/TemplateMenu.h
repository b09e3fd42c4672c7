// The administrator's commands on the editable templates, with their
// messages: edit one with the desktop's program for its type, or bring it back
// to its shipped form (documents/TemplateCommands.h does the work).
#pragma once

#include "documents/TemplateCommands.h"

// Shows the editing advice and hands the template file to the desktop (also
// when it does not exist; the desktop's answer is not examined).
void EditTemplate(const EditableTemplate& t);

// The restore command: asks for confirmation, restores and reports the
// outcome in the program's messages. True when the template was restored.
bool RestoreTemplate(const EditableTemplate& t);
