// The start-up steps that lay out and open a data folder, shared by the
// program's start-up and by hestavo-cli, so that a command run on a folder the
// window program never opened finds it exactly as the program would leave it:
// the run's folders, the machine settings probe, the network folder of the
// machine settings, the tables, the log pruning, the schema upgrade and the
// key counters.
#pragma once

#include "data/Version.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

QString versionText();                      // "1.0098"

// The week number of a date: whole weeks since 30 December 1899.
long weekNumber(const QDate& date);

// Creates the temporary folder, the engine's private folder and the local data
// folder of paths(), and deletes the temporary folders of runs that ended
// without deleting them. Returns the Romanian error to show, empty on success.
QString PrepareRunFolders();

// Writes and erases a probe in the machine settings file; when that fails the
// machine settings move to the Program Files folder (elsewhere: the program
// folder).
void ProbeMachineSettings();

// The network database named by the machine setting SERVER.
struct NetworkFolder {
    QString folder;   // the data folder to use; empty: work locally
    QString error;    // the message to show when SERVER names an unusable folder
};
NetworkFolder ChooseNetworkFolder();

// Replaces the named editable templates with the program's own (the template
// store's ReplaceTemplates). Without one the template steps of the upgrade are
// skipped and wait for a start that has one.
using TemplateRefresh = std::function<void(const QStringList& files)>;

// Schema upgrade of an existing database (the version steps and the column
// changes of older Cereri tables). Reads and rewrites SERVER/Versiune. The
// template steps follow the version of the templates, kept apart in
// SERVER/VersiuneModele: it moves to this version only when refreshTemplates
// ran every template step that was due, so a database upgraded while the
// templates could not be replaced still gets them replaced later.
void UpgradeSchema(const TemplateRefresh& refreshTemplates = {});

// The version whose templates the data folder holds (VersiuneModele, or the
// schema version for a database from before that key).
qint64 TemplatesVersion();

// Packs Cereri, Oameni and Log when CONST/LASTPACK differs from this week's
// number (which it then stores). step is called once per table either way.
// Returns whether packing ran.
bool WeeklyPack(long week, const std::function<void()>& step);

// Opens the data folder of paths(): missing tables created, the log pruned,
// the schema upgraded, then maintenance (the program's weekly pack; nothing
// for a command), then the key counters reset from the tables.
void OpenDataFolder(const TemplateRefresh& refreshTemplates = {}, const std::function<void()>& maintenance = {});
