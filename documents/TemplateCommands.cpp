#include "documents/TemplateCommands.h"

#include <QFile>
#include <QFileInfo>

RestoreResult RestoreTemplateFile(const EditableTemplate& t)
{
    const QString path = EditableTemplatePath(t);
    // A word processor may keep the file readable and deletable while it is
    // open (LibreOffice on Linux); its lock file tells, and the user's edits
    // in it must not be lost behind its back.
    if (TemplateIsOpen(path))
        return RestoreResult::Open;
    if (QFileInfo::exists(path))
        QFile::remove(path);
    if (QFileInfo::exists(path))
        return RestoreResult::Open;
    MaterializeTemplates();
    return RestoreResult::Restored;
}

const std::vector<TemplateMenuEntry>& TemplateMenuEntries()
{
    static const std::vector<TemplateMenuEntry> entries = {
        {{"Model Cerere", "Forma completa"}, "ModCerere.rtf"},
        {{"Model Cerere", "Forma prescurtata"}, "ModCerereS.rtf"},
        {{"Model Ancheta"}, "ModelAncheta2.rtf"},
        {{"Model Referat"}, "Referat.rtf"},
        {{"Stat de plata"}, "Stat.xls"},
        {{"Model Dispozitie Unica Stabilire"}, "StabilireU.xls"},
        {{"Model Dispozitie Separata Stabilire"}, "Stabilire.rtf"},
        {{"Model Dispozitie de Modificare"}, "Modificare.rtf"},
        {{"Model Dispozitie Incetare"}, "Incetare.rtf"},
        {{"Model Dispozitie Respingere"}, "Respingere.rtf"},
        {{"Modele Anexe AJPIS", "Anexa 17"}, "Anexa17.xls"},
        {{"Modele Anexe AJPIS", "Anexa 16"}, "Anexa16.xls"},
        {{"Modele Anexe AJPIS", "Anexa 15"}, "Anexa15.xls"},
        {{"Modele Anexe AJPIS", "Anexa 14"}, "Anexa14.xls"},
        {{"Model Fisa de verificare in teren"}, "FisaV.rtf"},
    };
    return entries;
}
