#include "app/main/Startup.h"

#include "app/MessageDialog.h"
#include "app/main/MainWindow.h"
#include "backup/UpdaterHandoff.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "documents/TemplateStore.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "backup/Archive.h"
#include "backup/RestoreArchive.h"

#ifdef Q_OS_WIN
#include <QSettings>
#include <shlobj.h>
#endif

QString versionText() { return formatFixed(kVersion); }

QString mainCaption()
{
    return QStringLiteral("Hestavo  ver.") + QString::number(double(kVersion) / double(kFixedOne), 'f', 4);
}

long weekNumber(const QDate& date) { return long(QDate(1899, 12, 30).daysTo(date) / 7); }

namespace {

const QString kSection92 = QStringLiteral("92");

QString nativePath(const QString& p) { return QDir::toNativeSeparators(p); }

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


} // namespace

void UpgradeSchema()
{
    const qint64 stored = ReadSettingNumber(QStringLiteral("SERVER"), QStringLiteral("Versiune"));
    WriteSettingNumber(QStringLiteral("SERVER"), QStringLiteral("Versiune"), kVersion);

    const bool titgMissing = cereriColumnWidth(QStringLiteral("TITG")) == 0;
    const bool nrRefMissing = cereriColumnWidth(QStringLiteral("NR_REF")) == 0;

    // Templates that a newer program ships in a changed form replace the
    // user's copies; the others keep the user's edits.
    if (stored < 10032)
        ReplaceTemplates({"Anexa14.xls", "Anexa15.xls", "Anexa16.xls", "Anexa17.xls", "Stat.xls"});
    if (stored < 10062)
        ReplaceTemplates({"ModelAncheta2.rtf"});
    if (stored < 10067)
        ReplaceTemplates({"Anexa15.xls", "Anexa16.xls"});
    if (stored < 10068)
        ReplaceTemplates({"ModCerere.rtf", "ModCerereS.rtf"});
    if (stored < 10098)
        ReplaceTemplates({"FisaV.rtf"});
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
    if (stored < 10021)
        ReplaceTemplates({"Referat.rtf"});
    if (cereriColumnWidth(QStringLiteral("STATUT")) < 10) {
        widenColumn(QStringLiteral("STATUT"), 10);
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET STATUT=\"MODIFICAT\""),
                    QStringLiteral("WHERE STATUT=\"APROBAT\" AND CUMODIF=\"X\"")});
        ReplaceTemplates({"ModCerere.rtf", "ModCerereS.rtf", "ModelAncheta2.rtf"});
    }
    if (cereriColumnWidth(QStringLiteral("CODCLE")) < 40)
        for (const char* c : {"CODCLE", "PODE", "CODCLG", "PODG", "CODCLT"})
            widenColumn(QString::fromLatin1(c), 40);
    if (nrRefMissing) {
        execCereri({QStringLiteral("ALTER TABLE %1"), QStringLiteral("ADD NR_REF DECIMAL(10,0)")});
        execCereri({QStringLiteral("UPDATE %1"), QStringLiteral("SET NR_REF=0")});
    }
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

void RegisterArchiveType(const QString& exePath, const QString& programFolder)
{
#ifdef Q_OS_WIN
    QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT"), QSettings::NativeFormat);
    if (classes.value(QStringLiteral(".L21/.")).toString() == QLatin1String("L21file"))
        return;
    classes.setValue(QStringLiteral(".L21/."), QStringLiteral("L21file"));
    classes.setValue(QStringLiteral("L21file/DefaultIcon/."), nativePath(programFolder + "/ico1.ico") + ",0");
    classes.setValue(QStringLiteral("L21file/shell/open/command/."), nativePath(exePath) + " \"%1\"");
    classes.sync();
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
#else
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + "/.local/share";
    const QString mimeFile = base + "/mime/packages/hestavo-l21.xml";
    const QString desktopFile = base + "/applications/hestavo.desktop";
    const QByteArray desktop = "[Desktop Entry]\nType=Application\nName=Hestavo\nExec=\"" + exePath.toUtf8()
                               + "\" %f\nIcon=" + (programFolder + "/ico1.ico").toUtf8()
                               + "\nMimeType=application/x-hestavo-l21;\nTerminal=false\n";
    QFile existing(desktopFile);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == desktop)
        return;
    existing.close();
    QDir().mkpath(QFileInfo(mimeFile).absolutePath());
    QDir().mkpath(QFileInfo(desktopFile).absolutePath());
    QFile mime(mimeFile);
    if (mime.open(QIODevice::WriteOnly))
        mime.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                   "  <mime-type type=\"application/x-hestavo-l21\">\n"
                   "    <comment>Salvare Hestavo</comment>\n"
                   "    <glob pattern=\"*.L21\" case-sensitive=\"false\"/>\n"
                   "  </mime-type>\n"
                   "</mime-info>\n");
    QFile entry(desktopFile);
    if (entry.open(QIODevice::WriteOnly))
        entry.write(desktop);
#endif
}

StartupSplash::StartupSplash(MainWindow* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint), m_main(mainWindow)
{
    Q_INIT_RESOURCE(icon);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Start..."));
    setFixedSize(360, 110);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Hestavo  ver. ") + versionText(), this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 4);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setAlignment(Qt::AlignCenter);
    Bar = new QProgressBar(this);
    Bar->setRange(0, 100);
    layout->addWidget(title);
    layout->addWidget(Label1);
    layout->addWidget(Bar);
}

void StartupSplash::setText(const QString& text)
{
    Label1->setText(text);
    QCoreApplication::processEvents();
}

void StartupSplash::Cleanup()
{
    resetDb();
    if (!paths().tempFolder.isEmpty())
        DeleteFolderTree(paths().tempFolder);
}

void StartupSplash::chooseDataFolder(const QStringList& arguments, const QString& exePath)
{
    AppPaths& p = paths();
    // Command line: an existing ".L21" file is opened for work in a temporary
    // copy; without an existing file the archive type is registered.
    setText(QStringLiteral("Deschid baza de date..."));
    const backup::CommandLineArchive opened = backup::OpenCommandLineArchive(
        arguments.isEmpty() ? QString() : arguments.first(),
        [this](int position, int maximum) {
            Bar->setValue(maximum > 0 ? position * 100 / maximum : 0);
            QCoreApplication::processEvents();
        });
    using Outcome = backup::CommandLineArchive::Outcome;
    switch (opened.outcome) {
    case Outcome::Opened:
        m_main->setStatusText("Salvare: " + nativePath(opened.archive));
        return;
    case Outcome::Failed:
        MessageDialog::Mesaj(QStringLiteral("Deschidere salvare"), opened.error, kButtonOK, kKindError);
        break;
    case Outcome::None:
        RegisterArchiveType(exePath, p.programFolder);
        break;
    case Outcome::Ignored:
        break;
    }
    p.openedArchive.clear();

    const QString server = ReadMachineSetting(QStringLiteral("SERVER")).trimmed();
    if (server.isEmpty())
        return;
    const QString folder = QDir::fromNativeSeparators(server);
    bool complete = QFileInfo(folder).isDir();
    for (const char* t : {"Cereri.dbf", "Oameni.dbf", "Log.dbf"})
        complete = complete && QFileInfo::exists(findFileNoCase(folder, QString::fromLatin1(t)));
    if (complete) {
        p.dataFolder = folder;
        return;
    }
    MessageDialog::Mesaj(QStringLiteral("Conectare server"),
                  "Baza de date " + server + "\rNU este accesibila sau este incompleta!\r"
                                             "Verificati conexiunea si baza si reporniti programul!",
                  kButtonOK, kKindError);
}

StartupSplash::Outcome StartupSplash::RunStartup(const QStringList& arguments, const QString& exePath)
{
    QLocale::setDefault(QLocale::c());
    AppPaths& p = paths();
    Bar->setRange(0, 100);

    // Folders of this run.
    if (!QDir().mkpath(p.tempFolder)) {
        MessageDialog::Mesaj(QStringLiteral("Eroare"), "\rNu pot crea folderul " + nativePath(p.tempFolder), kButtonOK,
                      kKindError);
        return Outcome::End;
    }
    p.enginePrivateFolder = ChooseEnginePrivateFolder(p.programFolder);
    if (p.enginePrivateFolder.isEmpty() || !QDir().mkpath(p.localDataFolder)) {
        MessageDialog::Mesaj(QStringLiteral("Eroare"),
                      "\rNu pot crea folderele de lucru in\r" + nativePath(p.programFolder), kButtonOK, kKindError);
        return Outcome::End;
    }
    resetDb();

    // Machine settings: a folder where they cannot be written is replaced.
    try {
        ini::write(machineSettingsFile(), QStringLiteral("TESTUS"), QStringLiteral("Test"), "0");
        ini::eraseSection(machineSettingsFile(), QStringLiteral("TESTUS"));
    } catch (const SettingsError&) {
#ifdef Q_OS_WIN
        QSettings cv(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"),
                     QSettings::NativeFormat);
        p.systemFolder = QDir::fromNativeSeparators(cv.value(QStringLiteral("ProgramFilesDir")).toString());
#else
        p.systemFolder = p.programFolder;
#endif
    }

    try {
        // A restore killed between its two folder renames is finished before
        // anything writes into a data folder.
        backup::RecoverInterruptedRestore(p.localDataFolder);
        if (const QString server = ReadMachineSetting(QStringLiteral("SERVER")).trimmed(); !server.isEmpty())
            backup::RecoverInterruptedRestore(QDir::fromNativeSeparators(server));
        WriteMachineSetting(QStringLiteral("CALE"), nativePath(p.programFolder));
        WriteMachineSetting(QStringLiteral("VER"), versionText());
        WriteSettingNumber(kSection92, QStringLiteral("VER"), kVersion);

        if (InstallerHandoff(p.programFolder, exePath, ownSettingsFile()) == InstallerStep::Started)
            return Outcome::End;

        chooseDataFolder(arguments, exePath);
        p.autoSaveFolder = DefaultSaveFolder();

        setText(QStringLiteral("Verific baza de date ..."));
        Bar->setValue(0);
        CreateMissingTables();
        PruneLog();
        UpgradeSchema();
        Bar->setRange(0, 6);
        try {
            WeeklyPack(weekNumber(QDate::currentDate()), [this] { Bar->setValue(Bar->value() + 1); });
        } catch (const engine::Error& e) {
            // Packing is maintenance: a table another workstation holds open
            // is packed another week.
            MessageDialog::Mesaj(QStringLiteral("Eroare"), QString::fromStdString(e.what()), kButtonOK, kKindError);
        }
        if (!p.openedArchive.isEmpty())
            m_main->setStatusText("Lucru in salvarea: " + QFileInfo(p.openedArchive).fileName().toUpper() + ".");
        else
            m_main->setStatusText(QStringLiteral("Lucru local."));
        ResyncCounters();
        if (QDir::cleanPath(p.dataFolder) != QDir::cleanPath(p.localDataFolder))
            m_main->setStatusText("Lucru in retea: " + nativePath(p.dataFolder));
        if (!QFileInfo::exists(p.programFolder + "/ico1.ico"))
            ResourceToFile(QStringLiteral("ICO"), QStringLiteral("POZA"), p.programFolder + "/ico1.ico");
        MaterializeTemplates();
        m_main->setWindowTitle(mainCaption());
        LaunchUpdater(p.programFolder, versionText(), 0, ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA")));
        ResyncCounters();
    } catch (const std::exception& e) {
        MessageDialog::Mesaj(QStringLiteral("Eroare"), QString::fromStdString(e.what()), kButtonOK, kKindError);
        return Outcome::End;
    }
    return Outcome::ShowMain;
}
