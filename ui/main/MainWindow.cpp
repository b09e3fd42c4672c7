#include "ui/main/MainWindow.h"

#include "backup/Passwords.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/Shell.h"
#include "documents/TemplateStore.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/backup/BackupWindow.h"
#include "ui/backup/LoginDialog.h"
#include "ui/backup/PasswordCommands.h"
#include "ui/backup/SuggestionWindow.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/SettingsCheck.h"
#include "ui/common/WorkingMonthLabel.h"
#include "ui/documents/TreasuryReportDialog.h"
#include "ui/main/AuditLogWindow.h"
#include "ui/package/MonthlyPackageDialog.h"
#include "ui/register/MonthCheckWindow.h"
#include "ui/register/RegisterWindow.h"
#include "ui/register/WorkingMonthWindow.h"
#include "ui/reports/AjpisReportCommand.h"
#include "ui/reports/AnnexAdderDialog.h"
#include "ui/reports/CountyReportCommand.h"
#include "ui/reports/ExportMenuCommands.h"
#include "ui/reports/SupplierReportCommands.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

namespace {

// Button pictures, drawn so that no picture files are needed.
QIcon picture(const QColor& color, const std::function<void(QPainter&)>& draw)
{
    QPixmap pm(40, 40);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(color.darker(160), 2));
    p.setBrush(color);
    draw(p);
    return QIcon(pm);
}

QIcon padlock(bool open)
{
    return picture(open ? QColor(0x4C, 0xAF, 0x50) : QColor(0xD3, 0x8B, 0x2B), [open](QPainter& p) {
        p.drawRoundedRect(8, 18, 24, 18, 3, 3);
        p.setBrush(Qt::NoBrush);
        QPainterPath shackle;
        const int x = open ? 18 : 12;
        shackle.moveTo(x, 18);
        shackle.lineTo(x, 11);
        shackle.arcTo(x, 3, 16, 16, 180, -180);
        shackle.lineTo(x + 16, open ? 12 : 18);
        p.drawPath(shackle);
    });
}

QIcon textPicture(const QColor& color, const QString& text)
{
    return picture(color, [text](QPainter& p) {
        p.drawRoundedRect(4, 4, 32, 32, 5, 5);
        p.setPen(Qt::white);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(15);
        p.setFont(f);
        p.drawText(QRect(4, 4, 32, 32), Qt::AlignCenter, text);
    });
}

} // namespace

bool DecideSaveOnClose(const CloseContext& c)
{
    if (c.archiveOpen && c.unlocked
        && MessageDialog::Mesaj(QStringLiteral("Salvare modificari"), QStringLiteral("Doriti sa salvati modificarile ?"),
                         kButtonsYesNo, kKindConfirmation)
               == Answer::Yes)
        return true;
    if (c.unlocked && !c.networkMode && c.autoSaveFolder.trimmed() != QLatin1String("-")
        && !c.autoSaveFolder.trimmed().isEmpty()
        && MessageDialog::Mesaj(QStringLiteral("Salvare Automata"), QStringLiteral("Doriti sa facem o copie la datele de azi?"),
                         kButtonsYesNo, kKindConfirmation)
               == Answer::Yes)
        return true;
    return false;
}

void DeleteHelpFiles(const QString& programFolder)
{
    QStringList names{QStringLiteral("Manual.pdf")};
    for (int n = 1; n <= 7; ++n)
        names << "Pop" + QString::number(n) + ".pdf";
    for (const QString& name : names) {
        const QString file = findFileNoCase(programFolder, name);
        if (QFile::exists(file))
            QFile::remove(file);
    }
}

bool OpenLegislation(const QString& resourceName)
{
    InitTemplateResources();
    if (findResource(resourceName, QStringLiteral("Lege")).isEmpty()) {
        MessageDialog::Mesaj(QStringLiteral("Legislatie"),
                             QStringLiteral("\rDocumentul nu este inclus in aceasta versiune a programului."), kButtonOK,
                             kKindInformation);
        return false;
    }
    const QString file = FreshTempFile(QStringLiteral("Lege"), QStringLiteral(".pdf"));
    if (file.isEmpty() || !ResourceToFile(resourceName, QStringLiteral("Lege"), file)) {
        MessageDialog::Mesaj(QStringLiteral("Legislatie"), "\rNu pot scrie documentul in folderul temporar\r" + file,
                      kButtonOK, kKindError);
        return false;
    }
    ShellOpen(file);
    return true;
}

MainWindow::MainWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Hestavo"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setSizeGripEnabled(false);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 0);
    outer->setSpacing(2);
    auto* strip = new QHBoxLayout;
    strip->setSpacing(4);

    MBut1 = addButton("MBut1", "Perioada", "Evidenta cereri.", textPicture(QColor(0x36, 0x5F, 0x9C), "31"));
    MBut2 = addButton("MBut2", "Cereri", "Gospodariile care beneficiaza de ajutor si datele lor.",
                      textPicture(QColor(0x2E, 0x7D, 0x32), "C"));
    MBut3 = addButton("MBut3", "Liste / Formulare", "Liste si formulare.", textPicture(QColor(0x6A, 0x1B, 0x9A), "L"));
    MBut4 = addButton("MBut4", "Utilitare", "Operatii cu datele. Sugestii. Explicatii. Legislatie.",
                      textPicture(QColor(0x55, 0x6B, 0x2F), "U"));
    MButAdm = addButton("MButAdm", "Administrare", "Administrare program.", padlock(false));
    ExitB = addButton("ExitB", "Iesire", "Inchide programul.", textPicture(QColor(0xB7, 0x1C, 0x1C), "X"));
    for (QToolButton* b : {MBut1, MBut2, MBut3, MBut4, MButAdm, ExitB})
        strip->addWidget(b);
    strip->addStretch();

    auto* monthBox = new QVBoxLayout;
    auto* monthCaption = new QLabel(QStringLiteral("Luna in lucru"), this);
    monthCaption->setAlignment(Qt::AlignCenter);
    LunaLucru = new QLabel(this);
    LunaLucru->setObjectName(QStringLiteral("LunaLucru"));
    LunaLucru->setAlignment(Qt::AlignCenter);
    QFont big = LunaLucru->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 6);
    LunaLucru->setFont(big);
    LunaLucru->setMinimumWidth(110);
    monthBox->addWidget(monthCaption);
    monthBox->addWidget(LunaLucru);
    strip->addLayout(monthBox);
    outer->addLayout(strip);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    Panel1 = new QLabel(QStringLiteral("ESC - Iesire din program"), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setMinimumWidth(200);
    Panel2 = new QLabel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    StatusBar1->addWidget(Panel1);
    StatusBar1->addWidget(Panel2, 1);
    outer->addWidget(StatusBar1);

    buildMenus();
    hestavo::ConnectCommand(MBut1, &QToolButton::clicked, this, [this] { openWorkingMonths(); });
    hestavo::ConnectCommand(MBut2, &QToolButton::clicked, this, [this] { openRegister(); });
    hestavo::ConnectCommand(MButAdm, &QToolButton::clicked, this, [this] { openAdministration(); });
    hestavo::ConnectCommand(ExitB, &QToolButton::clicked, this, [this] { exitProgram(); });

    // The window sees these keys before its controls.
    auto key = [this](const QKeySequence& seq, auto handler) {
        auto* s = new QShortcut(seq, this);
        s->setContext(Qt::WindowShortcut);
        hestavo::ConnectCommand(s, &QShortcut::activated, this, handler);
    };
    key(QKeySequence(Qt::Key_F12), [this] { close(); });
    // F1 and F2 stand for "Perioada" and "Cereri": while a password keeps
    // those buttons hidden, the keys do nothing either.
    key(QKeySequence(Qt::Key_F1), [this] {
        if (CommandsUnlocked())
            openWorkingMonths();
    });
    key(QKeySequence(Qt::Key_F2), [this] {
        if (CommandsUnlocked())
            openRegister();
    });

    for (QToolButton* b : {MBut1, MBut2, MBut3, MBut4})
        b->setVisible(false);
    hestavo::BindWorkingMonthLabel(LunaLucru);
    fitToScreen();
}

QToolButton* MainWindow::addButton(const QString& name, const QString& caption, const QString& hint, const QIcon& icon)
{
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    b->setIcon(icon);
    b->setIconSize(QSize(40, 40));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setMinimumSize(120, 72);
    b->setAutoRaise(false);
    return b;
}

void MainWindow::buildMenus()
{
    RegisterWindow::ExportPersons = &hestavo::ExportPersonsDbfCommand;
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Raport AJPIS")), &QAction::triggered, this,
                            [this] { hestavo::AjpisReportCommand(this); });
    BacauItem = PopupMenu1->addAction(QStringLiteral("Raport AJPIS - BACAU"));
    hestavo::ConnectCommand(BacauItem, &QAction::triggered, this, [this] { hestavo::CountyReportCommand(this); });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Export Date ANPIS - XML")), &QAction::triggered, this,
                            [this] { hestavo::ExportAnpisCommand(this); });
    QMenu* suppliers = PopupMenu1->addMenu(QStringLiteral("Raport Furnizori"));
    hestavo::ConnectCommand(suppliers->addAction(QStringLiteral("Format AJPIS")), &QAction::triggered, this,
                            [this] { hestavo::SupplierAnnexesCommand(this); });
    hestavo::ConnectCommand(suppliers->addAction(QStringLiteral("Format E-On Gaz Tg.Mures")), &QAction::triggered, this,
                            [this] { hestavo::EonReportCommand(this); });
    hestavo::ConnectCommand(suppliers->addAction(QStringLiteral("Format CEZ - Supliment Electrica")), &QAction::triggered, this,
                            [this] { hestavo::CezReportCommand(this); });
    QAction* treasury = PopupMenu1->addAction(QStringLiteral("Raport Trezorerie"));
    hestavo::ConnectCommand(treasury, &QAction::triggered, this, [this] {
        if (!SettingsComplete())
            return openAdministration();
        ShowTreasuryReport(MonthToSerial(hestavo::WorkingMonthText()), this);
    });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Lista persoanelor si varsta")), &QAction::triggered, this,
                            [] { hestavo::PersonsAgeListCommand(); });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Situatia membrilor")), &QAction::triggered, this,
                            [] { hestavo::MembersSituationCommand(); });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Control bazat pe profilul de risc")), &QAction::triggered, this,
                            [] { hestavo::RiskControlCommand(); });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Formularul F 2201 ANAF - XML")), &QAction::triggered, this,
                            [this] { hestavo::ExportF2201Command(this); });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Verificare inainte de raportare")), &QAction::triggered,
                            this, [this] { MonthCheckWindow::Execute(this); });
    hestavo::ConnectCommand(PopupMenu1->addAction(QStringLiteral("Pachet lunar")), &QAction::triggered, this, [this] {
        if (!SettingsComplete())
            return openAdministration();
        ShowMonthlyPackage(this);
    });
    PopupMenu1->addAction(QStringLiteral("-------- LEGISLATIE -------------"));
    const struct {
        const char* caption;
        const char* resource;
    } laws[] = {{"Legea 226 / 2021", "L226"}, {"H.G.1073/2021 - Norme", "HG1073"}, {"Anexa 26 - Cerere", "CererePDF"}};
    for (const auto& law : laws) {
        const QString resource = QString::fromLatin1(law.resource);
        hestavo::ConnectCommand(PopupMenu1->addAction(QString::fromLatin1(law.caption)), &QAction::triggered, this,
                                [resource] { OpenLegislation(resource); });
    }
    BacauItem->setVisible(ReadSetting(QStringLiteral("SETARI"), QStringLiteral("JUDET")) == QLatin1String("BACAU"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    hestavo::ConnectCommand(PopupMenu2->addAction(QStringLiteral("Salvare / Incarcare baza de date")), &QAction::triggered, this,
                            [this] { OpenBackupWindow(); });
    hestavo::ConnectCommand(PopupMenu2->addAction(QStringLiteral("Condica de sugestii")), &QAction::triggered, this,
                            [this] { SuggestionWindow::Execute(this); });
    hestavo::ConnectCommand(PopupMenu2->addAction(QStringLiteral("Istoricul modificarii datelor")), &QAction::triggered, this,
                            [this] { OpenLogViewer(); });
    PopupMenu2->addAction(QStringLiteral("-----------------------------"));
    QMenu* annexes = PopupMenu2->addMenu(QStringLiteral("Adunare Anexe"));
    const struct {
        const char* caption;
        int kind;
    } annexKinds[] = {{"Anexa 23", 23}, {"Anexa 24", 24}, {"Anexa 15 - Suplimente Gaz", 15},
                      {"Anexa 16 - Suplimente Electrica", 16}};
    for (const auto& a : annexKinds)
        hestavo::ConnectCommand(annexes->addAction(QString::fromLatin1(a.caption)), &QAction::triggered, this, [this, kind = a.kind] {
            AnnexAdderDialog dialog(this);
            dialog.Open(kind);
        });

    MBut3->setMenu(PopupMenu1);
    MBut3->setPopupMode(QToolButton::InstantPopup);
    MBut4->setMenu(PopupMenu2);
    MBut4->setPopupMode(QToolButton::InstantPopup);
}

void MainWindow::fitToScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect r = screen->availableGeometry();
    setFixedWidth(r.width());
    adjustSize();
    move(r.left(), r.top());
}

void MainWindow::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // A restore from the taskbar gives the window its full width back.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()
        && static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized) {
        setWindowState(Qt::WindowNoState);
        fitToScreen();
    }
}

void MainWindow::setStatusText(const QString& text) { Panel2->setText(text); }
QString MainWindow::statusText() const { return Panel2->text(); }

void MainWindow::Unlock()
{
    paths().unlocked = true;
    for (QToolButton* b : {MBut1, MBut2, MBut3, MBut4})
        b->setVisible(true);
    MButAdm->setIcon(padlock(true));
}

bool MainWindow::CommandsUnlocked() const
{
    return paths().unlocked || ReadSettingBytes(QStringLiteral("INIT"), QStringLiteral("WIN")).isEmpty();
}

void MainWindow::CloseAfterRestore()
{
    m_restored = true;
    MBut1->setVisible(false);
    close();
}

void MainWindow::Entry()
{
    LogAction(QStringLiteral("Pornire program"));
    LunaLucru->setText(ReadSetting(QStringLiteral("VARIABILE"), QStringLiteral("LUNA_LUCRU")));
    BacauItem->setVisible(hestavo::AdminValues().judet == QLatin1String("BACAU"));
    exec();
    LogAction(QStringLiteral("Inchidere Program."));
    if (m_saveOnExit)
        RunSaveOnExit();
}

void MainWindow::reject()
{
    // Escape, "Iesire", F12 and the close box all end here.
    if (!m_decided) {
        m_decided = true;
        CloseContext c;
        c.archiveOpen = !paths().openedArchive.isEmpty();
        c.unlocked = !MBut1->isHidden() && paths().unlocked;
        c.networkMode = paths().dataFolder != paths().localDataFolder;
        c.autoSaveFolder = paths().autoSaveFolder;
        m_saveOnExit = !m_restored && DecideSaveOnClose(c);
        DeleteHelpFiles(paths().programFolder);
    }
    QDialog::reject();
}

void MainWindow::openWorkingMonths() { OpenWorkingMonths(); }

void MainWindow::openRegister()
{
    if (SettingsComplete())
        OpenRegister();
    else
        openAdministration();
}

void MainWindow::openAdministration()
{
    if (!paths().unlocked) {
        LoginDialog prompt(this);
        const bool ok = AdministratorUnlock([&]() -> std::optional<QString> {
            QString text;
            if (!prompt.InputQuery2(text))
                return std::nullopt;
            return text;
        });
        if (!ok)
            return;
        Unlock();
    }
    OpenAdministration();
}

void MainWindow::exitProgram() { close(); }

void MainWindow::OpenBackupWindow()
{
    BackupWindow window(this);
    if (window.Open())
        CloseAfterRestore();
}

void MainWindow::OpenWorkingMonths()
{
    WorkingMonthWindow form(this);
    form.Open();
}

void MainWindow::OpenRegister()
{
    RegisterWindow window(this);
    window.Open();
}

void MainWindow::OpenAdministration()
{
    // Created once per run; every closing reloads it from the settings file.
    auto* form = findChild<AdministrationWindow*>();
    if (!form) {
        form = new AdministrationWindow(this);
        connect(form, &AdministrationWindow::bacauReportVisible, BacauItem, &QAction::setVisible);
        form->LoadSettings();
    }
    form->exec();
}

bool MainWindow::SettingsComplete() { return hestavo::SettingsComplete(); }

void MainWindow::OpenLogViewer()
{
    AuditLogWindow view(this);
    view.Execute();
}
