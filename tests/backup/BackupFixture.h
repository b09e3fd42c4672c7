// Shared set-up of the save and restore tests: a program folder in a fresh
// temporary folder with a data folder holding the three tables and a few
// rows, an automatic-save folder, the feedback test mode, and the
// independent archive reader and table reader.
#pragma once

#include "data/Db.h"
#include "data/Paths.h"
#include "data/TestMode.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

inline QApplication* BackupTestApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return existing;
    static int argc = 1;
    static char name[] = "test_backup";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
};

inline ToolRun RunTool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(300000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput() + p.readAllStandardError()};
}

// The independent ".L21" reader and writer.
inline ToolRun ReferenceArchive(const QStringList& args)
{
    return RunTool(QStringLiteral(HESTAVO_PYTHON),
                   QStringList{QStringLiteral(HESTAVO_SOURCE_DIR "/tests/backup/archive_reference.py")} + args);
}

// The rows of a table as python3-dbfread prints them, one line per row.
inline QByteArray ReaderRows(const QString& table)
{
    return RunTool(QStringLiteral(HESTAVO_PYTHON),
                   {"-c",
                    "import sys, dbfread\n"
                    "for r in dbfread.DBF(sys.argv[1], encoding='cp1250'): print(list(r.values()))",
                    table})
        .out;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

// Name -> content of every file directly in folder.
inline std::map<QString, QByteArray> FolderContents(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = FileBytes(QDir(folder).filePath(name));
    return files;
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BackupTestApplication();
        ASSERT_TRUE(m_dir.isValid());
        const QString root = m_dir.path();
        for (const char* sub : {"Data", "Temp", "Sys", "Eng", "Salvari"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        AppPaths& p = paths();
        p = AppPaths();
        p.programFolder = p.exeFolder = root;
        p.dataFolder = p.localDataFolder = root + "/Data";
        p.tempFolder = root + "/Temp";
        p.systemFolder = root + "/Sys";
        p.enginePrivateFolder = root + "/Eng";
        p.autoSaveFolder = root + "/Salvari";
        resetDb();
        CreateMissingTables();
        AddApplication(1, "POPESCU ION");
        AddApplication(2, "IONESCU ANA");
        resetDb();
        testmode::enable();
    }
    void TearDown() override
    {
        testmode::disable();
        resetDb();
    }

    static void AddApplication(int key, const QString& name)
    {
        Db().exec(sqlLines({"INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT, LUNACRT, TITULAR)",
                            "VALUES (" + QString::number(key) + ", 24300, \"" + name + "\")"}));
        Db().exec(sqlLines({"INSERT INTO " + quotedTable("Oameni.dbf") + " (NROM, NRCRT, TITULAR)",
                            "VALUES (" + QString::number(key) + ", " + QString::number(key) + ", \"" + name + "\")"}));
    }

    QString Root() const { return m_dir.path(); }
    QString Data() const { return paths().dataFolder; }
    QString Saves() const { return m_dir.path() + "/Salvari"; }

    QTemporaryDir m_dir;
};
