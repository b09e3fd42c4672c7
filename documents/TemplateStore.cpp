#include "documents/TemplateStore.h"

#include "data/Files.h"
#include "data/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

static void initTemplateStoreResources()
{
    Q_INIT_RESOURCE(TemplateStore);
}

namespace {

const QString kModel = QStringLiteral("MODEL");

// Any program that links the store finds the templates as resources from the
// start, also through a direct ResourceToFile.
const bool kRegistered = [] {
    InitTemplateResources();
    return true;
}();

} // namespace

const std::vector<EditableTemplate>& EditableTemplates()
{
    static const std::vector<EditableTemplate> list = {
        {"Ancheta", "ModelAncheta2.rtf", "Ancheta"},
        {"Cerere", "ModCerere.rtf", "Cerere completa"},
        {"Cerere10c", "ModCerere10c.rtf", ""},
        {"CerereS", "ModCerereS.rtf", "Cerere prescurtata"},
        {"Referat", "Referat.rtf", "Referat"},
        {"Stat", "Stat.xls", "Stat de plata"},
        {"Respingere", "Respingere.rtf", "Dispozitie Respingere"},
        {"Stabilire", "Stabilire.rtf", "Dispozitie Stabilire"},
        {"StabilireU", "StabilireU.xls", "Dispozitie Stabilire Unica"},
        {"Modificare", "Modificare.rtf", "Dispozitie Modificare"},
        {"Incetare", "Incetare.rtf", "Dispozitie Incetare"},
        {"Anexa14", "Anexa14.xls", "AJPIS - Anexa 14"},
        {"Anexa15", "Anexa15.xls", "AJPIS - Anexa 15"},
        {"Anexa16", "Anexa16.xls", "AJPIS - Anexa 16"},
        {"Anexa17", "Anexa17.xls", "AJPIS - Anexa 17"},
        {"FisaV", "FisaV.rtf", "Fisa de verificare"},
    };
    return list;
}

const EditableTemplate* FindEditableTemplate(const QString& file)
{
    for (const EditableTemplate& t : EditableTemplates())
        if (t.file.compare(file, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QStringList FixedTemplateNames()
{
    return {"ModelTrz", "TrezAnx2", "TrezAnx3",  "AJPIS",  "Anexa13",  "Anexa22", "Anexa23",  "Anexa24",
            "Anexa25",  "Anexa13BC", "EONGaz",   "CEZ",    "CONTROL",  "ListaPers", "SitMem"};
}

void InitTemplateResources()
{
    static const bool done = [] {
        initTemplateStoreResources();
        return true;
    }();
    (void)done;
}

QString EditableTemplatePath(const EditableTemplate& t) { return findFileNoCase(paths().dataFolder, t.file); }

void MaterializeTemplates()
{
    InitTemplateResources();
    for (const EditableTemplate& t : EditableTemplates()) {
        const QString path = EditableTemplatePath(t);
        if (!QFileInfo::exists(path))
            ResourceToFile(t.resource, kModel, path);   // a failure is reported by the command that needs it
    }
}

QString WriteFixedTemplate(const QString& resource, const QString& stem, const QString& extension)
{
    InitTemplateResources();
    const QString path = FreshTempFile(stem, extension);
    if (path.isEmpty() || !ResourceToFile(resource, kModel, path))
        return QString();
    return path;
}

void ReplaceTemplates(const QStringList& files)
{
    for (const QString& file : files) {
        const QString path = findFileNoCase(paths().dataFolder, file);
        if (QFileInfo::exists(path))
            QFile::remove(path);
    }
    MaterializeTemplates();
}

bool TemplateIsOpen(const QString& path)
{
    const QFileInfo info(path);
    if (QFileInfo::exists(info.absolutePath() + "/.~lock." + info.fileName() + "#"))
        return true;
    if (!info.exists())
        return false;
    QFile f(path);
    return !f.open(QIODevice::ReadWrite);
}
