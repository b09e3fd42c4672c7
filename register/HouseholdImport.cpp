// The VMG and ASF imports: unpack, read the source tables, replace the
// month's applications of that kind in one transaction.
#include "register/HouseholdImport.h"

#include "backup/TablesInUse.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace hestavo {

namespace {

// One source member, income in hundredths (bani).
struct SourceMember {
    QString name;
    QString cnp;
    qint64 income = 0;
    int relation = 0;
};

// One selected source application with the fields the import copies.
struct SourceApplication {
    QString id;             // IDCERERE
    double number = 0;      // CERENR
    long dateDay = 0;       // CEREDATA as a day number (0: none)
    QString dateText;       // CEREDATA "dd.MM.yyyy", empty when none
    QString name, cnp, locality, address, l416, asf, stciv, sitscol, asig;
    qint64 householdSize = 0, income = 0, rooms = 0;
    std::vector<SourceMember> members;
};

struct KindTexts {
    QString folderStem, title, incomplete, flagColumn, logText;
};

KindTexts textsFor(ImportKind kind)
{
    if (kind == ImportKind::Vmg)
        return {"VMG", "Preluare L416", "Baza de date L416 incompleta!", "L416", "Import date din L416."};
    return {"ASF", "Preluare ASF", "Baza de date ASF incompleta!", "ASF", "Import date din ASF."};
}

qint64 cents(double value) { return qRound64(value * 100.0); }
QString centsText(qint64 value) { return QString::number(double(value) / 100.0, 'f', 2); }
QString field(const engine::ResultSet& rs, const char* column) { return QString::fromStdString(rs.text(column)); }
QString quoted(const QString& text) { return '"' + CleanText(text) + '"'; }

std::unique_ptr<engine::ResultSet> openTable(const QString& folder, const QString& name, const QString& columns,
                                             const QString& where = {})
{
    return Db().open(sqlLines({"SELECT " + columns, "FROM " + quotedPath(findFileNoCase(folder, name)),
                               where.isEmpty() ? QString() : "WHERE " + where}));
}

// The active wood-heating applications of the source Cereri table.
std::vector<SourceApplication> readApplications(ImportKind kind, const QString& folder)
{
    const bool vmg = kind == ImportKind::Vmg;
    auto rs = openTable(folder, "Cereri.dbf", "*",
                        vmg ? R"(STARE="APROBATA" AND CALDURA="L")" : R"(STARE="ACTIVA" AND CALDURA="L")");
    std::vector<SourceApplication> apps;
    for (rs->first(); !rs->eof(); rs->next()) {
        SourceApplication a;
        a.id = field(*rs, "IDCERERE");
        a.number = rs->number("CERENR");
        if (const auto d = rs->date("CEREDATA"); d && d->isValid()) {
            a.dateDay = d->dayNumber();
            a.dateText = QString::fromStdString(d->toText());
        }
        a.name = field(*rs, "NUME");
        a.cnp = field(*rs, "CNP");
        a.locality = field(*rs, "LOCALIT");
        a.address = ImportedAddress(field(*rs, vmg ? "STR" : "STRADA"), field(*rs, "STRNR"), field(*rs, "BLOC"),
                                    field(*rs, "SCARA"), field(*rs, "ETAJ"), field(*rs, vmg ? "APART" : "APT"));
        a.stciv = field(*rs, "STCIV");
        a.sitscol = field(*rs, "SITSCOL");
        if (vmg) {
            a.l416 = "X";
            a.asf = field(*rs, "ASF");
            a.householdSize = rs->integer("NRMEMBRI");
            a.income = cents(rs->number("VENITP")) + cents(rs->number("VENITV")) + cents(rs->number("VENITA"));
        } else {
            a.l416 = field(*rs, "L416");
            a.asf = "X";
            a.rooms = rs->integer("NRCAMERE");
            a.asig = field(*rs, "ASIG");
        }
        apps.push_back(a);
    }
    return apps;
}

// For the family-allowance database: the latest inquiry of every
// application (latest LADATA, then the highest IDANCHET).
std::map<QString, QString> latestInquiries(const QString& folder)
{
    struct Latest {
        long day = -1;
        double id = -1;
        QString idText;
    };
    std::map<QString, Latest> best;
    auto rs = openTable(folder, "Anchete.dbf", "IDANCHET, IDCERERE, LADATA");
    for (rs->first(); !rs->eof(); rs->next()) {
        const auto d = rs->date("LADATA");
        const long day = d && d->isValid() ? d->dayNumber() : 0;
        const double id = rs->number("IDANCHET");
        Latest& b = best[field(*rs, "IDCERERE")];
        if (day > b.day || (day == b.day && id > b.id))
            b = {day, id, field(*rs, "IDANCHET")};
    }
    std::map<QString, QString> latest;
    for (const auto& [application, b] : best)
        latest[b.idText] = application;
    return latest;
}

// Attaches the source members to their applications, each application's
// members in the order of their relation code.
void readMembers(ImportKind kind, const QString& folder, std::vector<SourceApplication>& apps)
{
    std::map<QString, SourceApplication*> byId;
    for (SourceApplication& a : apps)
        byId[a.id] = &a;
    const bool vmg = kind == ImportKind::Vmg;
    const std::map<QString, QString> inquiries = vmg ? std::map<QString, QString>{} : latestInquiries(folder);
    auto rs = openTable(folder, "Oameni.dbf", "*");
    for (rs->first(); !rs->eof(); rs->next()) {
        QString application = field(*rs, vmg ? "IDCERERE" : "IDANCHET");
        if (!vmg) {
            const auto found = inquiries.find(application);
            if (found == inquiries.end())
                continue;
            application = found->second;
        }
        const auto owner = byId.find(application);
        if (owner == byId.end())
            continue;
        SourceMember m{field(*rs, "NUME"), field(*rs, "CNPDATA"),
                       cents(rs->number("CUANTUMV")) + cents(rs->number("CUANTUMA"))
                           + (vmg ? cents(rs->number("CUANTUMP")) : 0),
                       int(rs->integer("RUDACOD"))};
        owner->second->members.push_back(m);
    }
    for (SourceApplication& a : apps)
        std::stable_sort(a.members.begin(), a.members.end(),
                         [](const SourceMember& x, const SourceMember& y) { return x.relation < y.relation; });
    // Applications without members are not taken over.
    std::erase_if(apps, [](const SourceApplication& a) { return a.members.empty(); });
    std::stable_sort(apps.begin(), apps.end(), [](const SourceApplication& x, const SourceApplication& y) {
        if (x.number != y.number)
            return x.number < y.number;
        return x.dateDay < y.dateDay;
    });
}

// The VALUES tuple of an imported application row; columns in kApplicationColumns order.
const char* const kApplicationColumns =
    "(NRCRT, LUNADEC, LUNACRT, TITULAR, CNP, LOCALIT, ADRESA, NR_MEMBRI, TVENIT, L416, ASF, STCIV, SITSCOL, "
    "NRCAM, ASIG, CUANTUM, TOTAL, NR_LUNI, NR_DISP, NR_CERE, DATACERE, STATUT, CUAJUT, SUMAL, SUMAG, SUMAE, "
    "SUMAT, CUMODIF, SITPROF, MOTIVR, COPII14, COPII18, MODPLATA)";

QString applicationValues(const SourceApplication& a, ImportKind kind, qint64 key, long serial)
{
    qint64 size = a.householdSize, income = a.income;
    if (kind == ImportKind::Asf) {
        size = qint64(a.members.size());
        income = 0;
        for (const SourceMember& m : a.members)
            income += m.income;
    }
    return "(" + QString::number(key) + ", " + QString::number(serial + 1) + ", " + QString::number(serial) + ", "
           + quoted(a.name) + ", " + quoted(a.cnp) + ", " + quoted(a.locality) + ", " + quoted(a.address) + ", "
           + QString::number(size) + ", " + centsText(income) + ", " + quoted(a.l416) + ", " + quoted(a.asf) + ", "
           + quoted(a.stciv) + ", " + quoted(a.sitscol) + ", " + QString::number(a.rooms) + ", " + quoted(a.asig)
           + ", 0, 0, 5, \"0\", " + QString::number(qint64(a.number)) + ", "
           + (a.dateText.isEmpty() ? QStringLiteral("NULL") : quoted(a.dateText))
           + ", \"APROBAT\", \"X\", 0, 0, 0, 0, \"\", \"\", \"\", 0, 0, \"CEC\")";
}

const char* const kMemberColumns = "(NROM, NRCRT, TITULAR, CNP, VENIT, CALITATE)";

QString memberValues(const SourceMember& m, qint64 key, qint64 application)
{
    return "(" + QString::number(key) + ", " + QString::number(application) + ", " + quoted(m.name) + ", "
           + quoted(m.cnp) + ", " + centsText(m.income) + ", " + quoted(RoleForRelation(m.relation)) + ")";
}

// Appends the rows to a table, many rows per statement: the engine reads a
// table again after each statement that changed it.
void insertRows(const QString& table, const char* columns, const QStringList& rows,
                const std::function<void(int done)>& progress)
{
    constexpr int kRowsPerStatement = 2000;
    for (int first = 0; first < rows.size(); first += kRowsPerStatement) {
        const QStringList chunk = rows.mid(first, kRowsPerStatement);
        Db().exec(sqlLines({"INSERT INTO " + quotedTable(table), QString::fromLatin1(columns), "VALUES " + chunk.join(",\n")}));
        if (progress)
            progress(first + int(chunk.size()));
    }
}

// Removes the month's applications marked in the kind's flag column, with
// their members; counts what went into result.
void removePrevious(const KindTexts& t, long serial, ImportResult& result)
{
    const QString where = "LUNACRT=" + QString::number(serial) + " AND " + t.flagColumn + "=\"X\"";
    const QString members = "NRCRT IN (SELECT NRCRT FROM " + quotedTable("Cereri.dbf") + " WHERE " + where + ")";
    auto count = [](const QString& table, const QString& condition) {
        auto rs = Db().open(sqlLines({"SELECT COUNT(*) AS N", "FROM " + quotedTable(table), "WHERE " + condition}));
        rs->first();
        return int(rs->integer("N"));
    };
    result.replacedApplications = count("Cereri.dbf", where);
    result.replacedMembers = count("Oameni.dbf", members);
    Db().exec(sqlLines({"DELETE FROM " + quotedTable("Oameni.dbf"), "WHERE " + members}));
    Db().exec(sqlLines({"DELETE FROM " + quotedTable("Cereri.dbf"), "WHERE " + where}));
}

void writeImport(const std::vector<SourceApplication>& apps, ImportKind kind, long serial, ImportResult& result,
                 const backup::ArchiveProgress& progress)
{
    QStringList applicationRows, memberRows;
    int memberCount = 0;
    for (const SourceApplication& a : apps)
        memberCount += int(a.members.size());
    engine::Transaction transaction = Db().beginTransaction();
    removePrevious(textsFor(kind), serial, result);
    qint64 application = NextKey("NRCRT", qint64(apps.size()));
    qint64 member = NextKey("NROM", memberCount);
    for (const SourceApplication& a : apps) {
        applicationRows << applicationValues(a, kind, application, serial);
        for (const SourceMember& m : a.members)
            memberRows << memberValues(m, member++, application);
        ++application;
    }
    insertRows("Cereri.dbf", kApplicationColumns, applicationRows, {});
    insertRows("Oameni.dbf", kMemberColumns, memberRows, [&](int done) {
        if (progress)
            progress(done, memberCount);
    });
    transaction.commit();
    result.applications = int(apps.size());
    result.members = memberCount;
}

} // namespace

QString ImportedAddress(const QString& street, const QString& number, const QString& block, const QString& staircase,
                        const QString& floor, const QString& apartment)
{
    QString address;
    auto add = [&](const char* prefix, const QString& value) {
        if (!value.trimmed().isEmpty())
            address += QString::fromLatin1(prefix) + value.trimmed();
    };
    add("str.", street);
    add(" nr.", number);
    add(" bl.", block);
    add(" sc.", staircase);
    add(" et.", floor);
    add(" ap.", apartment);
    return CleanText(address).toUpper();
}

QString RoleForRelation(int code)
{
    switch (code) {
    case 1: return QStringLiteral("beneficiar");
    case 2:
    case 3: return QStringLiteral("partener");
    case 4: return QStringLiteral("copil");
    default: return QStringLiteral("adult");
    }
}

ImportResult ImportHouseholds(ImportKind kind, const QString& archive, long workingSerial,
                              const backup::ArchiveProgress& progress, const std::function<void(const QString&)>& step)
{
    const KindTexts t = textsFor(kind);
    ImportResult result;
    result.title = t.title;
    if (workingSerial <= 0) {
        result.error = QStringLiteral("Alegeti mai intai o luna de la butonul Perioada!");
        return result;
    }
    const QString folder = FreshTempFolder(t.folderStem);
    auto refuse = [&](const QString& why) {
        DeleteFolderTree(folder);
        result.error = why;
        return result;
    };
    if (folder.isEmpty())
        return refuse(QStringLiteral("Nu pot scrie pe harddisk!"));
    if (const backup::UnpackResult unpacked = backup::UnpackArchiveWithReason(archive, folder, progress); unpacked.failed())
        return refuse(unpacked.message());
    QStringList required{"Cereri.dbf", "Oameni.dbf"};
    if (kind == ImportKind::Asf)
        required << "Anchete.dbf";
    for (const QString& name : required)
        if (!QFileInfo(findFileNoCase(folder, name)).isFile())
            return refuse(t.incomplete);
    resetDb(); // our own handles would count as another user
    if (const QString busy = backup::TableInUseMessage(paths().dataFolder); !busy.isEmpty())
        return refuse(busy);
    try {
        std::vector<SourceApplication> apps = readApplications(kind, folder);
        readMembers(kind, folder, apps);
        if (apps.empty())
            return refuse(QStringLiteral("Baza de date nu contine nicio cerere activa!"));
        if (step)
            step(QStringLiteral("Preluare date..."));
        writeImport(apps, kind, workingSerial, result, progress);
        resetDb(); // lets go of the unpacked tables before their folder is deleted
        LogAction(t.logText);
    } catch (const std::exception& e) {
        resetDb();
        return refuse(QString::fromStdString(e.what()));
    }
    DeleteFolderTree(folder);
    result.imported = true;
    return result;
}

} // namespace hestavo
