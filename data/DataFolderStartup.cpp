#include "data/DataFolderStartup.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "data/Settings.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSettings>
#include <shlobj.h>
#endif

QString versionText() { return formatFixed(kVersion); }

long weekNumber(const QDate& date) { return long(QDate(1899, 12, 30).daysTo(date) / 7); }

namespace {

QString nativePath(const QString& p) { return QDir::toNativeSeparators(p); }

const QString kServer = QStringLiteral("SERVER");
const QString kTemplatesVersion = QStringLiteral("VersiuneModele");

// A column's width in Cereri as it is now; 0 when the column is missing.
int cereriColumnWidth(const QString& column)
{
    auto rs = Db().open(sqlLines({QStringLiteral("SELECT *"), "FROM " + quotedTable(QStringLiteral("Cereri.dbf"))}));
    for (const std::string& name : rs->columnNames())
        if (QString::fromStdString(name).compare(column, Qt::CaseInsensitive) == 0)
            return rs->columnWidth(name);
    return 0;
}

// Widens a column to at least the width; a failure is ignored so the next
// column is still attempted. A column is never narrowed: that would cut the
// codes already stored in it.
void widenColumn(const QString& column, int width)
{
    try {
        const int now = cereriColumnWidth(column);
        if (now > 0 && now < width)
            Db().changeColumnWidth(tableFile(QStringLiteral("Cereri.dbf")).toStdString(), column.toStdString(), width);
    } catch (const engine::Error& e) {
        qWarning("Latimea coloanei %s nu a putut fi schimbata: %s", qPrintable(column), e.what());
    }
}

void execCereri(const QStringList& lines)
{
    QStringList all = lines;
    all[0] = all[0].arg(quotedTable(QStringLiteral("Cereri.dbf")));
    Db().exec(sqlLines(all));
}

// The template steps of the upgrade: the templates that the programs of
// later versions shipped in a changed form replace the user's copies.
class TemplateSteps {
public:
    explicit TemplateSteps(const TemplateRefresh& refresh) : m_refresh(refresh), m_held(TemplatesVersion()) {}

    qint64 held() const { return m_held; }

    void replace(bool due, const QStringList& files)
    {
        if (!due)
            return;
        if (m_refresh)
            m_refresh(files);
        else
            m_skipped = true;
    }

    // Records the version whose templates the folder now holds.
    void finish() { WriteSettingNumber(kServer, kTemplatesVersion, m_skipped ? m_held : kVersion); }

private:
    const TemplateRefresh& m_refresh;
    qint64 m_held;
    bool m_skipped = false;
};

} // namespace

qint64 TemplatesVersion()
{
    if (!ReadSetting(kServer, kTemplatesVersion).trimmed().isEmpty())
        return ReadSettingNumber(kServer, kTemplatesVersion);
    return ReadSettingNumber(kServer, QStringLiteral("Versiune"));
}

void UpgradeSchema(const TemplateRefresh& refreshTemplates)
{
    const qint64 stored = ReadSettingNumber(kServer, QStringLiteral("Versiune"));
    TemplateSteps templates(refreshTemplates);
    WriteSettingNumber(kServer, QStringLiteral("Versiune"), kVersion);

    const bool titgMissing = cereriColumnWidth(QStringLiteral("TITG")) == 0;
    const bool nrRefMissing = cereriColumnWidth(QStringLiteral("NR_REF")) == 0;

    const qint64 held = templates.held();
    templates.replace(held < 10032, {"Anexa14.xls", "Anexa15.xls", "Anexa16.xls", "Anexa17.xls", "Stat.xls"});
    templates.replace(held < 10062, {"ModelAncheta2.rtf"});
    templates.replace(held < 10067, {"Anexa15.xls", "Anexa16.xls"});
    templates.replace(held < 10068, {"ModCerere.rtf", "ModCerereS.rtf"});
    templates.replace(held < 10098, {"FisaV.rtf"});
    if (stored < 10004) {
        for (const char* c : {"CODCLG", "PODG", "CODCLE", "PODE", "CODCLT"})
            widenColumn(QString::fromLatin1(c), 20);
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET SUMAE=30"), QStringLiteral("WHERE SUMAE=70"),
                    QStringLiteral("AND SUMAL+SUMAG+SUMAT>0")});
    }
    if (titgMissing) {
        execCereri({QStringLiteral("ALTER TABLE %1"), QStringLiteral("ADD TITG CHAR(32), ADD CNPG CHAR(13),"),
                    QStringLiteral("ADD TITE CHAR(32), ADD CNPE CHAR(13),"),
                    QStringLiteral("ADD TITT CHAR(32), ADD CNPT CHAR(13)")});
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET TITG=TITULAR, CNPG=CNP"),
                    QStringLiteral("WHERE SUMAG>0")});
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET TITE=TITULAR, CNPE=CNP"),
                    QStringLiteral("WHERE SUMAE>0")});
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET TITT=TITULAR, CNPT=CNP"),
                    QStringLiteral("WHERE SUMAT>0")});
    }
    templates.replace(held < 10021, {"Referat.rtf"});
    if (cereriColumnWidth(QStringLiteral("STATUT")) < 10) {
        widenColumn(QStringLiteral("STATUT"), 10);
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET STATUT=\"MODIFICAT\""),
                    QStringLiteral("WHERE STATUT=\"APROBAT\" AND CUMODIF=\"X\"")});
        templates.replace(true, {"ModCerere.rtf", "ModCerereS.rtf", "ModelAncheta2.rtf"});
    }
    if (cereriColumnWidth(QStringLiteral("CODCLE")) < 40)
        for (const char* c : {"CODCLE", "PODE", "CODCLG", "PODG", "CODCLT"})
            widenColumn(QString::fromLatin1(c), 40);
    if (nrRefMissing) {
        execCereri({QStringLiteral("ALTER TABLE %1"), QStringLiteral("ADD NR_REF DECIMAL(10,0)")});
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET NR_REF=0")});
    }
    templates.finish();
}

bool WeeklyPack(long week, const std::function<void()>& step)
{
    const bool due = ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK")) != qint64(week) * kFixedOne;
    if (due)
        WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK"), qint64(week) * kFixedOne);
    for (const char* t : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"}) {
        if (due)
            Db().packTable(tableFile(QString::fromLatin1(t)).toStdString());
        step();
    }
    return due;
}

QString PrepareRunFolders()
{
    AppPaths& p = paths();
    if (!QDir().mkpath(p.tempFolder))
        return "\rNu pot crea folderul " + nativePath(p.tempFolder);
    p.enginePrivateFolder = ChooseEnginePrivateFolder(p.programFolder);
    if (p.enginePrivateFolder.isEmpty() || !QDir().mkpath(p.localDataFolder))
        return "\rNu pot crea folderele de lucru in\r" + nativePath(p.programFolder);
    ClearStaleTempFolders();
    resetDb();
    return QString();
}

namespace {

bool MachineSettingsWritable()
{
    try {
        ini::write(machineSettingsFile(), QStringLiteral("TESTUS"), QStringLiteral("Test"), "0");
        ini::eraseSection(machineSettingsFile(), QStringLiteral("TESTUS"));
        return true;
    } catch (const SettingsError&) {
        return false;
    }
}

#ifdef Q_OS_WIN
// The folder every user of the computer may write (C:\ProgramData): the
// Windows folder and Program Files are the administrator's only.
QString SharedMachineFolder()
{
    wchar_t buf[MAX_PATH + 1];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, buf)))
        return QString();
    const QString folder = QDir::fromNativeSeparators(QString::fromWCharArray(buf)) + "/Hestavo";
    return QDir().mkpath(folder) ? folder : QString();
}
#endif

} // namespace

void ProbeMachineSettings()
{
    if (MachineSettingsWritable())
        return;
#ifdef Q_OS_WIN
    const QString shared = SharedMachineFolder();
    if (!shared.isEmpty()) {
        paths().systemFolder = shared;
        if (MachineSettingsWritable())
            return;
    }
    QSettings cv(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"),
                 QSettings::NativeFormat);
    paths().systemFolder = QDir::fromNativeSeparators(cv.value(QStringLiteral("ProgramFilesDir")).toString());
#else
    paths().systemFolder = paths().programFolder;
#endif
}

NetworkFolder ChooseNetworkFolder()
{
    const QString server = ReadMachineSetting(QStringLiteral("SERVER")).trimmed();
    if (server.isEmpty())
        return {};
    const QString folder = QDir::fromNativeSeparators(server);
    bool complete = QFileInfo(folder).isDir();
    for (const char* t : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"})
        complete = complete && QFileInfo::exists(findFileNoCase(folder, QString::fromLatin1(t)));
    if (complete)
        return {folder, QString()};
    return {QString(), "Baza de date " + server
                           + "\rNU este accesibila sau este incompleta!\r"
                             "Verificati conexiunea si baza si reporniti programul!"};
}

void OpenDataFolder(const TemplateRefresh& refreshTemplates, const std::function<void()>& maintenance)
{
    CreateMissingTables();
    PruneLog();
    UpgradeSchema(refreshTemplates);
    if (maintenance)
        maintenance();
    ResyncCounters();
}
