// The program's table structures and the older ones its start-up upgrade accepts.
#include "data/TableStructure.h"

#include "data/Db.h"
#include "engine/storage/DbfTable.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {

struct ProgramColumn {
    QString name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

// A column as the program's CREATE TABLE gives it: "TITULAR CHAR(32)",
// "VENIT DECIMAL(10,2)", "DATAL DATE".
ProgramColumn parseDefinition(const QString& definition)
{
    static const QRegularExpression form(QStringLiteral(R"(^(\w+) (CHAR|DECIMAL|DATE)(?:\((\d+)(?:,(\d+))?\))?$)"));
    const QRegularExpressionMatch m = form.match(definition);
    Q_ASSERT(m.hasMatch());
    if (m.captured(2) == QLatin1String("DATE"))
        return {m.captured(1), 'D', 8, 0};
    return {m.captured(1), m.captured(2) == QLatin1String("CHAR") ? 'C' : 'N', m.captured(3).toInt(),
            m.captured(4).toInt()};
}

// What UpgradeSchema does to an older table: it adds columns that are missing,
// a group at a time (the whole group, so either all of them are missing or
// none), and widens the columns of a group when its first one is narrower
// than the program's width.
struct TableUpgrade {
    std::vector<QStringList> addedTogether;
    std::vector<QStringList> widenedTogether;
};

struct ProgramTable {
    const char* file;
    QStringList definitions;
    TableUpgrade upgrade;

    ProgramColumn column(const QString& name) const
    {
        for (const QString& definition : definitions)
            if (definition.startsWith(name + QLatin1Char(' ')))
                return parseDefinition(definition);
        return {};
    }
};

std::vector<ProgramTable> programTables()
{
    const TableUpgrade cereriUpgrade{
        {{"TITG", "CNPG", "TITE", "CNPE", "TITT", "CNPT"}, {"NR_REF"}},
        {{"CODCLE", "PODE", "CODCLG", "PODG", "CODCLT"}, {"STATUT"}},
    };
    return {{"Cereri.dbf", cereriColumns(), cereriUpgrade},
            {"Oameni.dbf", oameniColumns(), {}},
            {"Log.dbf", logColumns(), {}}};
}

using FileColumns = std::vector<engine::storage::Column>;

const engine::storage::Column* findColumn(const FileColumns& columns, const QString& name)
{
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const engine::storage::Column& c) {
        return QString::fromStdString(c.name).compare(name, Qt::CaseInsensitive) == 0;
    });
    return it == columns.end() ? nullptr : &*it;
}

const QStringList* groupOf(const std::vector<QStringList>& groups, const QString& column)
{
    for (const QStringList& group : groups)
        if (group.contains(column))
            return &group;
    return nullptr;
}

// A missing column is accepted when the upgrade adds its whole group.
bool upgradeAdds(const ProgramTable& table, const FileColumns& columns, const QString& name)
{
    const QStringList* group = groupOf(table.upgrade.addedTogether, name);
    return group && std::none_of(group->begin(), group->end(),
                                 [&](const QString& c) { return findColumn(columns, c) != nullptr; });
}

// A narrower column is accepted when the upgrade widens its group, which it
// does when the group's first column is narrower than the program's.
bool upgradeWidens(const ProgramTable& table, const FileColumns& columns, const QString& name)
{
    const QStringList* group = groupOf(table.upgrade.widenedTogether, name);
    if (!group)
        return false;
    const engine::storage::Column* first = findColumn(columns, group->first());
    return first && first->width < table.column(group->first()).width;
}

QString columnProblem(const ProgramTable& table, const FileColumns& columns, const ProgramColumn& wanted)
{
    const engine::storage::Column* found = findColumn(columns, wanted.name);
    if (!found)
        return upgradeAdds(table, columns, wanted.name) ? QString() : QStringLiteral("lipseste coloana %1").arg(wanted.name);
    if (found->type != wanted.type)
        return QStringLiteral("coloana %1 are tipul %2 in loc de %3")
            .arg(wanted.name, QChar::fromLatin1(found->type), QChar::fromLatin1(wanted.type));
    if (found->decimals != wanted.decimals)
        return QStringLiteral("coloana %1 are %2 zecimale in loc de %3").arg(wanted.name).arg(found->decimals).arg(wanted.decimals);
    if (found->width != wanted.width && !(found->width < wanted.width && upgradeWidens(table, columns, wanted.name)))
        return QStringLiteral("coloana %1 are latimea %2 in loc de %3").arg(wanted.name).arg(found->width).arg(wanted.width);
    return {};
}

} // namespace

QString TableStructureProblem(const QString& file, const QString& table)
{
    const std::vector<ProgramTable> tables = programTables();
    const auto known = std::find_if(tables.begin(), tables.end(), [&](const ProgramTable& t) {
        return table.compare(QString::fromLatin1(t.file), Qt::CaseInsensitive) == 0;
    });
    if (known == tables.end())
        return {};
    const FileColumns columns = engine::storage::DbfTable::open(file.toStdString()).columns();
    QStringList expected;
    for (const QString& definition : known->definitions) {
        const ProgramColumn wanted = parseDefinition(definition);
        expected << wanted.name;
        if (const QString problem = columnProblem(*known, columns, wanted); !problem.isEmpty())
            return problem;
    }
    for (const engine::storage::Column& c : columns)
        if (!expected.contains(QString::fromStdString(c.name), Qt::CaseInsensitive))
            return QStringLiteral("are coloana necunoscuta %1").arg(QString::fromStdString(c.name));
    return {};
}
