#include "data/Db.h"

#include "data/IniFile.h"
#include "data/Paths.h"
#include "data/Months.h"
#include "data/Settings.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTime>

#include <algorithm>
#include <memory>

namespace {
std::unique_ptr<engine::Database>& holder()
{
    static std::unique_ptr<engine::Database> db;
    return db;
}
} // namespace

engine::Database& Db()
{
    auto& db = holder();
    if (!db)
        db = std::make_unique<engine::Database>(QDir::toNativeSeparators(paths().enginePrivateFolder).toStdString());
    return *db;
}

void resetDb() { holder().reset(); }

std::vector<std::string> sqlLines(const QStringList& lines)
{
    std::vector<std::string> out;
    out.reserve(lines.size());
    for (const QString& l : lines)
        out.push_back(l.toStdString());
    return out;
}

QString tableFile(const QString& fileName) { return findFileNoCase(paths().dataFolder, fileName); }
QString quotedPath(const QString& path) { return '"' + QDir::toNativeSeparators(path) + '"'; }
QString quotedTable(const QString& fileName) { return quotedPath(tableFile(fileName)); }

QStringList cereriColumns()
{
    return {"NRCRT DECIMAL(12,0)", "LUNADEC DECIMAL(10,0)", "LUNACRT DECIMAL(10,0)", "TITULAR CHAR(32)",
            "CNP CHAR(13)", "LOCALIT CHAR(60)", "ADRESA CHAR(60)", "NR_MEMBRI DECIMAL(5,0)",
            "TVENIT DECIMAL(10,2)", "VENITM DECIMAL(10,2)", "L416 CHAR(1)", "ASF CHAR(1)", "CUAJUT CHAR(1)",
            "SUMAL DECIMAL(10,2)", "TITG CHAR(32)", "CNPG CHAR(13)", "FURNG CHAR(60)", "CODCLG CHAR(40)",
            "PODG CHAR(40)", "SUMAG DECIMAL(10,2)", "TITE CHAR(32)", "CNPE CHAR(13)", "FURNE CHAR(60)",
            "CODCLE CHAR(40)", "PODE CHAR(40)", "SUMAE DECIMAL(10,2)", "TITT CHAR(32)", "CNPT CHAR(13)",
            "FURNT CHAR(60)", "CODCLT CHAR(40)", "SUMAT DECIMAL(10,2)", "CUANTUM DECIMAL(10,2)",
            "NR_LUNI DECIMAL(5,0)", "TOTAL DECIMAL(10,2)", "NR_DISP CHAR(16)", "NR_CERE DECIMAL(10,0)",
            "NR_REF DECIMAL(10,0)", "DATACERE DATE", "DATADISP DATE", "STATUT CHAR(10)", "CUMODIF CHAR(1)",
            "MOTIVR CHAR(80)", "STCIV CHAR(2)", "SITSCOL CHAR(2)", "NRCAM DECIMAL(6,0)", "ASIG CHAR(1)",
            "COPII14 DECIMAL(6,0)", "COPII18 DECIMAL(6,0)", "SITPROF CHAR(24)", "MODPLATA CHAR(8)"};
}

QStringList oameniColumns()
{
    return {"NROM DECIMAL(10,0)", "NRCRT DECIMAL(12,0)", "TITULAR CHAR(32)", "CNP CHAR(13)",
            "VENIT DECIMAL(10,2)", "CALITATE CHAR(12)"};
}

QStringList logColumns()
{
    return {"IDLOG DECIMAL(10,0)", "DATAL DATE", "ORA CHAR(12)", "ACTIUNE CHAR(120)", "UTILIZATOR CHAR(16)"};
}

ColumnSize columnSize(const QStringList& columns, const QString& name)
{
    static const QRegularExpression form(QStringLiteral("^(\\w+) \\w+\\((\\d+)(?:,(\\d+))?\\)$"));
    for (const QString& column : columns) {
        const QRegularExpressionMatch m = form.match(column);
        if (m.hasMatch() && m.captured(1) == name)
            return {m.captured(2).toInt(), m.captured(3).toInt()};
    }
    return {};
}

QStringList CreateMissingTables()
{
    const struct {
        const char* file;
        QStringList columns;
    } tables[] = {{"LOG.DBF", logColumns()}, {"Cereri.dbf", cereriColumns()}, {"Oameni.dbf", oameniColumns()}};
    QStringList created;
    for (const auto& t : tables) {
        const QString file = tableFile(QString::fromLatin1(t.file));
        if (QFileInfo::exists(file))
            continue;
        Db().exec(sqlLines({"CREATE TABLE " + quotedPath(file), "(" + t.columns.join(", ") + ")"}));
        created << file;
    }
    return created;
}

long long ReadMax(const QString& tableFileName, const QString& column)
{
    auto rs = Db().open(sqlLines({"SELECT MAX(" + column + ") AS CODEX_", "FROM " + quotedTable(tableFileName)}));
    if (rs->isEmpty())
        return 0;
    rs->first();
    bool ok = false;
    const double v = QString::fromStdString(rs->text("CODEX_")).toDouble(&ok);
    return ok ? static_cast<long long>(v) : 0;
}

void ResyncCounters()
{
    const struct {
        const char* table;
        const char* column;
    } keys[] = {{"Cereri.dbf", "NRCRT"}, {"Oameni.dbf", "NROM"}, {"Log.dbf", "IDLOG"}};
    // On a network folder another workstation may hold keys it has not written
    // yet: the counters are only raised there, never set back.
    const bool shared = QDir::cleanPath(paths().dataFolder) != QDir::cleanPath(paths().localDataFolder);
    for (const auto& k : keys) {
        const QString column = QString::fromLatin1(k.column);
        const qint64 next = ReadMax(QString::fromLatin1(k.table), column) + 1;
        if (!shared) {
            SetKey(column, next);
            continue;
        }
        ini::update(settingsFile(), QStringLiteral("INDEX"), column, [next](const std::optional<QByteArray>& raw) {
            const qint64 current = raw ? parseFixed(QString::fromLatin1(*raw)) / kFixedOne : 0;
            return QByteArray::number(std::max(current, next));
        });
    }
}

void LogAction(const QString& text)
{
    const QString key = QString::number(NextKey(QStringLiteral("IDLOG")));
    const QString date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    const QString time = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    Db().exec(sqlLines({"INSERT INTO " + quotedTable(QStringLiteral("Log.dbf")),
                        "(IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR)",
                        "VALUES (",
                        key + ",",
                        '"' + date + "\",",
                        '"' + time + "\",",
                        '"' + CleanText(text) + "\",",
                        '"' + CleanText(paths().userIdentity) + "\")"}));
}

int PruneLog()
{
    auto rs = Db().open(sqlLines({"SELECT *", "FROM " + quotedTable(QStringLiteral("Log.dbf"))}));
    const int count = rs->recordCount();
    if (count < 1000)
        return 0;
    rs->first();
    while (rs->position() < count - 1)
        rs->next();
    const long long newest = rs->integer("IDLOG");
    rs.reset();
    const QString limit = QString::number(newest - 1000);
    auto before = Db().open(sqlLines({"SELECT COUNT(*) AS N_", "FROM " + quotedTable(QStringLiteral("Log.dbf")),
                                      "WHERE IDLOG<" + limit}));
    int doomed = 0;
    if (!before->isEmpty()) {
        before->first();
        doomed = int(before->integer("N_"));
    }
    Db().exec(sqlLines({"DELETE FROM " + quotedTable(QStringLiteral("Log.dbf")), "WHERE IDLOG<" + limit}));
    return doomed;
}

QStringList DistinctValues(const QString& quotedTablePath, const QString& column, const QString& condition)
{
    QStringList lines{"SELECT DISTINCT " + column, "FROM " + quotedTablePath};
    if (!condition.trimmed().isEmpty())
        lines << "WHERE " + condition;
    lines << "ORDER BY " + column;
    auto rs = Db().open(sqlLines(lines));
    QStringList values;
    for (rs->first(); !rs->eof(); rs->next()) {
        const QString v = QString::fromStdString(rs->text(column.toStdString()));
        if (!v.trimmed().isEmpty())
            values << v;
    }
    return values;
}
