// Set-up shared by the county report's tests: the export fixture with a town
// hall of Bacau county (the UAT Comuna Sfanta Maria), the editable annex
// templates in the data folder, and the listing of an output folder.
#pragma once

#include "ReportsFixture.h"

#include "data/Files.h"
#include "documents/SpreadsheetOutput.h"
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
        // Other fixtures of this program point the workbook's temporary files
        // into their own folders and leave that behind; these tests use the
        // program's temporary folder.
        SpreadsheetOutput::FreshTempFile = [](const QString& stem, const QString& ext) { return ::FreshTempFile(stem, ext); };
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
