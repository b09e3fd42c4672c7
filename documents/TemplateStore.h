// The store of document templates: the catalogue of editable templates (kept
// in the data folder, where the user may change them) and fixed templates
// (written afresh to the temporary folder at every use), the rule that writes
// the missing editable ones, and the law texts. The shipped forms are
// embedded resources of type "MODEL" (templates) and "LEGE" (law texts).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct EditableTemplate {
    QString resource;     // resource name of type "MODEL"
    QString file;         // file name in the data folder
    QString displayName;  // name in the restore messages; empty: no menu entry
};

// The editable templates in the order MaterializeTemplates writes them.
const std::vector<EditableTemplate>& EditableTemplates();
// The catalogue entry for a data-folder file name (any case); null when none.
const EditableTemplate* FindEditableTemplate(const QString& file);

// Resource names of the fixed templates.
QStringList FixedTemplateNames();

// Makes the embedded templates and law texts reachable as resources. It runs
// by itself in every program that links this file, and the functions below
// that write templates call it; a caller of ResourceToFile with the types
// "MODEL" or "LEGE" that uses nothing else of the store calls it first.
void InitTemplateResources();

// <data folder>/<file>, the existing file's own spelling when it differs in case.
QString EditableTemplatePath(const EditableTemplate& t);

// Writes every editable template whose file is missing from the data folder.
// Existing files are never touched; a file that cannot be written is skipped.
void MaterializeTemplates();

// Writes the fixed template to FreshTempFile(stem, extension) and returns the
// path; empty when no name is free or the resource cannot be written.
QString WriteFixedTemplate(const QString& resource, const QString& stem, const QString& extension);

// Deletes the named editable templates from the data folder (a file that
// cannot be deleted stays) and writes the missing ones again: the upgrade
// step that replaces templates made outdated by a newer program.
void ReplaceTemplates(const QStringList& files);

// True when another program holds the file open: a LibreOffice lock file
// (".~lock.NAME#") stands beside it, or the file exists and cannot be opened
// for writing.
bool TemplateIsOpen(const QString& path);
