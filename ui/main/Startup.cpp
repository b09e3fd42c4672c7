#include "ui/main/Startup.h"

#include "backup/UpdaterHandoff.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "documents/TemplateStore.h"
#include "register/Counties.h"
#include "ui/common/MessageDialog.h"
#include "ui/main/MainWindow.h"

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

QString mainCaption()
{
    return QStringLiteral("Hestavo  ver.") + QString::number(double(kVersion) / double(kFixedOne), 'f', 4);
}

namespace {

const QString kSection92 = QStringLiteral("92");

QString nativePath(const QString& p) { return QDir::toNativeSeparators(p); }

} // namespace

void RegisterArchiveType(const QString& exePath, const QString& programFolder)
{
#ifdef Q_OS_WIN
    // The current user's classes: a clerk without administrator rights
    // cannot write the machine's (HKEY_CLASSES_ROOT writes go there), and
    // Windows merges the user's classes into HKEY_CLASSES_ROOT.
    QSettings classes(QStringLiteral("HKEY_CURRENT_USER\\Software\\Classes"), QSettings::NativeFormat);
    if (classes.value(QStringLiteral(".L21/.")).toString() == QLatin1String("L21file"))
        return;
    classes.setValue(QStringLiteral(".L21/."), QStringLiteral("L21file"));
    classes.setValue(QStringLiteral("L21file/DefaultIcon/."), nativePath(programFolder + "/ico1.ico") + ",0");
    // Quoted: under "Program Files" the path holds spaces.
    classes.setValue(QStringLiteral("L21file/shell/open/command/."), "\"" + nativePath(exePath) + "\" \"%1\"");
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
        ClearTempFolderAtExit();
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

    const NetworkFolder network = ChooseNetworkFolder();
    if (!network.folder.isEmpty())
        p.dataFolder = network.folder;
    else if (!network.error.isEmpty())
        MessageDialog::Mesaj(QStringLiteral("Conectare server"), network.error, kButtonOK, kKindError);
}

StartupSplash::Outcome StartupSplash::RunStartup(const QStringList& arguments, const QString& exePath)
{
    QLocale::setDefault(QLocale::c());
    AppPaths& p = paths();
    Bar->setRange(0, 100);

    // Folders of this run; a machine settings folder that cannot be written is replaced.
    if (const QString error = PrepareRunFolders(); !error.isEmpty()) {
        MessageDialog::Mesaj(QStringLiteral("Eroare"), error, kButtonOK, kKindError);
        return Outcome::End;
    }
    ProbeMachineSettings();

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
        OpenDataFolder(ReplaceTemplates, [this] {
            Bar->setRange(0, 6);
            try {
                WeeklyPack(weekNumber(QDate::currentDate()), [this] { Bar->setValue(Bar->value() + 1); });
            } catch (const engine::Error& e) {
                // Packing is maintenance: a table another workstation holds
                // open is packed another week.
                MessageDialog::Mesaj(QStringLiteral("Eroare"), QString::fromStdString(e.what()), kButtonOK,
                                     kKindError);
            }
        });
        if (!p.openedArchive.isEmpty())
            m_main->setStatusText("Lucru in salvarea: " + QFileInfo(p.openedArchive).fileName().toUpper() + ".");
        else
            m_main->setStatusText(QStringLiteral("Lucru local."));
        if (QDir::cleanPath(p.dataFolder) != QDir::cleanPath(p.localDataFolder))
            m_main->setStatusText("Lucru in retea: " + nativePath(p.dataFolder));
        if (!QFileInfo::exists(p.programFolder + "/ico1.ico"))
            ResourceToFile(QStringLiteral("ICO"), QStringLiteral("POZA"), p.programFolder + "/ico1.ico");
        MaterializeTemplates();
        m_main->setWindowTitle(mainCaption());
        LaunchUpdater(p.programFolder, versionText(),
                      hestavo::CountyIndex(ReadSetting(QStringLiteral("SETARI"), QStringLiteral("JUDET"))),
                      ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA")));
        ResyncCounters();
    } catch (const std::exception& e) {
        MessageDialog::Mesaj(QStringLiteral("Eroare"), QString::fromStdString(e.what()), kButtonOK, kKindError);
        return Outcome::End;
    }
    return Outcome::ShowMain;
}
