// Set-up shared by the county report's tests: the export fixture with a town
// hall of Bacau county (the UAT Comuna Sfanta Maria), the editable annex
// templates in the data folder, and the listing of an output folder.
#pragma once

#include "ReportsFixture.h"

#include "documents/TemplateStore.h"

#include <QDirIterator>

class CountyFixture : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        WriteSetting("SETARI", "JUDET", "BACAU");
        WriteSetting("SETARI", "CODJUD", "BC");
        WriteSetting("SETARI", "PRIMARIA", "Comuna Sfanta Maria");
        WriteSetting("SETARI", "PRIMAR", "Ion Popa");
        MaterializeTemplates();
    }

    // Every file below the folder, relative to it, sorted.
    static QStringList FilesBelow(const QString& folder)
    {
        QStringList out;
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(folder).relativeFilePath(it.next());
        out.sort();
        return out;
    }
};
