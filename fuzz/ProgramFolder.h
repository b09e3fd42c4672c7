// A program folder in the scratch folder laid out as the program lays out its
// own (Data with the three tables, Temp, the machine and engine folders), for
// the targets that run whole commands of the register.
#pragma once

#include "FuzzSupport.h"

#include "data/Db.h"
#include "data/Paths.h"

namespace fuzz {

inline void useProgramFolder(const QString& root)
{
    for (const char* sub : {"Data", "Temp", "Sys", "Eng"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    AppPaths& p = paths();
    p.programFolder = p.exeFolder = root;
    p.dataFolder = p.localDataFolder = root + "/Data";
    p.tempFolder = root + "/Temp";
    p.systemFolder = root + "/Sys";
    p.enginePrivateFolder = root + "/Eng";
    resetDb();
}

// A fresh program folder named name with empty tables.
inline QString freshProgramFolder(const QString& name)
{
    const QString root = freshFolder(name);
    useProgramFolder(root);
    CreateMissingTables();
    resetDb();
    return root;
}

} // namespace fuzz
