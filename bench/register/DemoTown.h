// The demo database of a large town laid out as a program folder in `root`
// (its "Data", "Temp", system and engine folders), for the register's
// benchmarks and screenshots.
#pragma once

#include "data/Db.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "tools/demo-db/DemoDatabase.h"

#include <QDir>

inline demodb::Summary MakeDemoTown(const QString& root, int households, int months)
{
    for (const char* sub : {"Data", "Temp", "Sys", "Eng"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    initPaths(root);
    paths().systemFolder = root + "/Sys";
    paths().enginePrivateFolder = root + "/Eng";
    demodb::Options options;
    options.folder = paths().dataFolder.toStdString();
    options.households = households;
    options.months = months;
    const demodb::Summary town = demodb::generate(options);
    resetDb();
    CreateMissingTables();
    ResyncCounters();
    return town;
}
