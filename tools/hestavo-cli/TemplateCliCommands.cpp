// Commands on the editable templates of the data folder: list them with their
// state, write the missing ones, restore one to its shipped form.
#include "tools/hestavo-cli/CliCommand.h"
#include "tools/hestavo-cli/CliDataFolder.h"

#include "data/Files.h"
#include "data/Paths.h"
#include "documents/TemplateCommands.h"
#include "documents/TemplateStore.h"

#include <QFile>
#include <QFileInfo>

namespace cli {
namespace {

// "lipseste", "deschis", "initial" (as shipped) or "modificat".
QString templateState(const EditableTemplate& t)
{
    const QString path = EditableTemplatePath(t);
    if (!QFileInfo::exists(path))
        return QStringLiteral("lipseste");
    if (TemplateIsOpen(path))
        return QStringLiteral("deschis");
    QFile own(path);
    QFile shipped(findResource(t.resource, QStringLiteral("MODEL")));
    if (own.open(QIODevice::ReadOnly) && shipped.open(QIODevice::ReadOnly) && own.readAll() == shipped.readAll())
        return QStringLiteral("initial");
    return QStringLiteral("modificat");
}

void runList(CliContext& context, const QStringList& arguments)
{
    if (!arguments.isEmpty())
        throw CliFailure(QStringLiteral("Folosire: hestavo-cli templates"));
    PrepareDataFolder(context);
    InitTemplateResources();
    for (const EditableTemplate& t : EditableTemplates())
        PrintLine(t.file + "\t" + templateState(t));
}

void runMaterialize(CliContext& context, const QStringList&)
{
    PrepareDataFolder(context);
    QStringList missing;
    for (const EditableTemplate& t : EditableTemplates())
        if (!QFileInfo::exists(EditableTemplatePath(t)))
            missing << t.file;
    MaterializeTemplates();
    for (const QString& file : missing)
        if (QFileInfo::exists(findFileNoCase(paths().dataFolder, file)))
            PrintLine("scris: " + file);
}

void runRestore(CliContext& context, const QStringList& arguments)
{
    if (arguments.size() != 1)
        throw CliFailure(QStringLiteral("Folosire: hestavo-cli template restore FISIER"));
    PrepareDataFolder(context);
    const EditableTemplate* t = FindEditableTemplate(arguments[0]);
    if (!t)
        throw CliFailure("Nu exista modelul " + arguments[0] + "!");
    const QString name = t->displayName.isEmpty() ? t->file : t->displayName;
    if (RestoreTemplateFile(*t) == RestoreResult::Open)
        throw CliFailure("Modelul de " + name + " este deschis!\nInchideti-l si mai incercati odata!");
    PrintLine("Modelul de " + name + " a fost refacut!");
}

const CliRegistration list{{"templates", "", "modelele de listare din folderul de date si starea lor", runList}};
const CliRegistration materialize{
    {"templates write-missing", "", "scrie modelele de listare care lipsesc din folderul de date", runMaterialize}};
const CliRegistration restore{
    {"template restore", "FISIER", "readuce un model de listare la forma initiala", runRestore}};

} // namespace
} // namespace cli
