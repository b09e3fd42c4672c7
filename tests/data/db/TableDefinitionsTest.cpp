// The tables as the program creates them, read back by an independent dBase
// reader (python3-dbfread): every column of the program's definitions, in
// order, with its name, type, width and decimals.
#include "data/Db.h"
#include "data/Paths.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// "NRCRT DECIMAL(12,0)" -> "NRCRT N 12 0": the dBase field a column
// definition of the statement language must give (DATE is 8 bytes).
QString expectedField(const QString& definition)
{
    static const QRegularExpression form(R"(^(\w+) (DECIMAL|CHAR|DATE)(?:\((\d+)(?:,(\d+))?\))?$)");
    const QRegularExpressionMatch m = form.match(definition);
    if (!m.hasMatch())
        return "unreadable definition: " + definition;
    const QString type = m.captured(2);
    const QString letter = type == "DECIMAL" ? "N" : type == "CHAR" ? "C" : "D";
    const QString width = type == "DATE" ? "8" : m.captured(3);
    const QString decimals = m.captured(4).isEmpty() ? "0" : m.captured(4);
    return m.captured(1) + " " + letter + " " + width + " " + decimals;
}

QStringList fieldsReadBack(const QString& file)
{
    QProcess p;
    p.start(QStringLiteral(HESTAVO_PYTHON),
            {"-c",
             "import sys,dbfread\n"
             "for f in dbfread.DBF(sys.argv[1], load=False).fields:\n"
             "    print(f.name, f.type, f.length, f.decimal_count)\n",
             file});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

TEST(TableDefinitions, CreatedTablesMatchTheDefinitionsColumnByColumn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    resetDb();
    initPaths(dir.path());
    QDir().mkpath(paths().dataFolder);
    paths().enginePrivateFolder = dir.path() + "/TMP0";
    QDir().mkpath(paths().enginePrivateFolder);
    ASSERT_EQ(CreateMissingTables().size(), 3);

    const struct {
        const char* file;
        QStringList definitions;
    } tables[] = {{"Cereri.dbf", cereriColumns()}, {"Oameni.dbf", oameniColumns()}, {"Log.dbf", logColumns()}};
    for (const auto& t : tables) {
        const QStringList read = fieldsReadBack(tableFile(t.file));
        ASSERT_EQ(read.size(), t.definitions.size()) << t.file;
        for (int i = 0; i < read.size(); ++i)
            EXPECT_EQ(read[i], expectedField(t.definitions[i])) << t.file << " column " << i + 1;
    }
    resetDb();
}
