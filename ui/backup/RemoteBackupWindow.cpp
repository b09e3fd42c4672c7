#include "ui/backup/RemoteBackupWindow.h"

#include "backup/Archive.h"
#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/Validators.h"
#include "ui/backup/PasswordEditor.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QFormLayout>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace backup;

namespace {

QPushButton* button(QWidget* parent, const QString& text, const QString& name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QFrame* panel(QWidget* parent, const QString& name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(QFrame::StyledPanel);
    return f;
}

void error(const QString& title, const QString& text)
{
    MessageDialog::Mesaj(title, "\r" + text, kButtonOK, kKindError);
}

} // namespace

std::function<bool(const QString&)>& RemoteBackupWindow::restoreArchive()
{
    static std::function<bool(const QString&)> handler;
    return handler;
}

RemoteBackupWindow::RemoteBackupWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NetF"));
    setWindowTitle(QStringLiteral("Copie / Recupereaza date la Distanta"));
    settings = RemoteSettings::fromMachineSettings();
    askNote = [this](QString* note) {
        bool ok = false;
        *note = QInputDialog::getText(this, QStringLiteral("Transmitere salvare"), QStringLiteral("Observatii"),
                                      QLineEdit::Normal, {}, &ok);
        return ok;
    };
    auto* layout = new QVBoxLayout(this);

    QFrame* loginPanel = panel(this, QStringLiteral("LoginPanel"));
    auto* loginForm = new QFormLayout(loginPanel);
    email = new QLineEdit(loginPanel);
    email->setObjectName(QStringLiteral("Email"));
    email->setMaxLength(60);
    password = new QLineEdit(loginPanel);
    password->setObjectName(QStringLiteral("Password"));
    password->setEchoMode(QLineEdit::Password);
    password->setMaxLength(40);
    connect(password, &QLineEdit::textEdited, password, [this](const QString& t) {
        const int at = password->cursorPosition();
        password->setText(t.toUpper());
        password->setCursorPosition(at);
    });
    remember = new QCheckBox(QStringLiteral("Memoreaza-mi datele"), loginPanel);
    remember->setObjectName(QStringLiteral("Remember"));
    remember->setToolTip(QStringLiteral("Parola se pastreaza pe acest calculator, doar ascunsa, nu protejata."));
    auto* loginButton = button(loginPanel, QStringLiteral("Conectare la cont"), QStringLiteral("Login"));
    reminderButton = button(loginPanel, QStringLiteral("Trimte-mi parola pe email !"), QStringLiteral("Reminder"));
    loginForm->addRow(QStringLiteral("Email"), email);
    loginForm->addRow(QStringLiteral("Parola"), password);
    loginForm->addRow(remember);
    auto* hint = new QLabel(QStringLiteral("\"Memoreaza-mi datele\" pastreaza parola pe acest calculator."), loginPanel);
    hint->setWordWrap(true);
    loginForm->addRow(hint);
    loginForm->addRow(loginButton, reminderButton);

    QFrame* codePanel = panel(this, QStringLiteral("CodePanel"));
    auto* codeForm = new QFormLayout(codePanel);
    code = new QLineEdit(codePanel);
    code->setObjectName(QStringLiteral("Code"));
    code->setMaxLength(10);
    codeForm->addRow(new QLabel(QStringLiteral("Introduceti codul primit pe adresa de email."), codePanel));
    codeForm->addRow(QStringLiteral("Cod"), code);
    auto* checkButton = button(codePanel, QStringLiteral("Verifica Codul din e-mail"), QStringLiteral("CheckCode"));
    codeForm->addRow(checkButton);

    QFrame* accountPanel = panel(this, QStringLiteral("AccountPanel"));
    auto* accountForm = new QFormLayout(accountPanel);
    accountEmail = new QLabel(accountPanel);
    accountEmail->setObjectName(QStringLiteral("AccountEmail"));
    created = new QLabel(accountPanel);
    created->setObjectName(QStringLiteral("Created"));
    expires = new QLabel(accountPanel);
    expires->setObjectName(QStringLiteral("Expires"));
    serverTime = new QLabel(accountPanel);
    serverTime->setObjectName(QStringLiteral("ServerTime"));
    accountForm->addRow(QStringLiteral("Email"), accountEmail);
    accountForm->addRow(QStringLiteral("Parola"), new QLabel(QStringLiteral("********"), accountPanel));
    accountForm->addRow(QStringLiteral("Data crearii"), created);
    accountForm->addRow(QStringLiteral("Data expirarii"), expires);
    accountForm->addRow(QStringLiteral("Ora serverului"), serverTime);
    auto* passwordButton = button(accountPanel, QStringLiteral("Schimba Parola"), QStringLiteral("ChangePassword"));
    accountForm->addRow(passwordButton);

    QFrame* actionsPanel = panel(this, QStringLiteral("ActionsPanel"));
    auto* actions = new QHBoxLayout(actionsPanel);
    auto* saveButton = button(actionsPanel, QStringLiteral("Salveaza o copie a datelor"), QStringLiteral("Upload"));
    auto* listButton = button(actionsPanel, QStringLiteral("Incarca o salvare anterioara"), QStringLiteral("ShowList"));
    actions->addWidget(saveButton);
    actions->addWidget(listButton);

    QFrame* listPanel = panel(this, QStringLiteral("ListPanel"));
    auto* listLayout = new QVBoxLayout(listPanel);
    list = new QTableWidget(0, 3, listPanel);
    list->setObjectName(QStringLiteral("List"));
    list->setHorizontalHeaderLabels({QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("Observatii")});
    list->horizontalHeader()->setStretchLastSection(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    loadButton = button(listPanel, QStringLiteral("Incarca datele in program"), QStringLiteral("Load"));
    deleteButton = button(listPanel, QStringLiteral("Sterge salvarea"), QStringLiteral("Delete"));
    auto* backButton = button(listPanel, QStringLiteral("Inapoi"), QStringLiteral("Back"));
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(loadButton);
    listButtons->addWidget(deleteButton);
    listButtons->addWidget(backButton);
    listLayout->addWidget(list);
    listLayout->addLayout(listButtons);

    m_progressPanel = panel(this, QStringLiteral("ProgressPanel"));
    auto* progressLayout = new QVBoxLayout(m_progressPanel);
    progressText = new QLabel(m_progressPanel);
    progressText->setObjectName(QStringLiteral("ProgressText"));
    progressBar = new QProgressBar(m_progressPanel);
    progressLayout->addWidget(progressText);
    progressLayout->addWidget(progressBar);
    m_progressPanel->hide();

    m_panels = {loginPanel, codePanel, accountPanel, actionsPanel, listPanel};
    for (QFrame* p : m_panels)
        layout->addWidget(p);
    layout->addWidget(m_progressPanel);

    connect(loginButton, &QPushButton::clicked, this, &RemoteBackupWindow::login);
    connect(reminderButton, &QPushButton::clicked, this, &RemoteBackupWindow::emailPassword);
    connect(checkButton, &QPushButton::clicked, this, &RemoteBackupWindow::checkCode);
    connect(passwordButton, &QPushButton::clicked, this, &RemoteBackupWindow::changePassword);
    connect(saveButton, &QPushButton::clicked, this, [this] { upload(); });
    connect(listButton, &QPushButton::clicked, this, &RemoteBackupWindow::showList);
    connect(deleteButton, &QPushButton::clicked, this, &RemoteBackupWindow::deleteSelected);
    connect(loadButton, &QPushButton::clicked, this, &RemoteBackupWindow::loadSelected);
    connect(backButton, &QPushButton::clicked, this, &RemoteBackupWindow::back);
    setMinimumWidth(460);
}

RemoteBackupWindow::~RemoteBackupWindow() { dropList(); }

bool RemoteBackupWindow::Execute(const QString& archive, QWidget* parent)
{
    RemoteBackupWindow window(parent);
    window.prepare(archive);
    window.exec();
    window.dropList();
    return window.m_sent;
}

void RemoteBackupWindow::prepare(const QString& archive)
{
    m_archive = archive;
    m_sent = false;
    setMask(QStringLiteral("100000"));
    reminderButton->hide();
    const bool memo = ReadSetting(QStringLiteral("CONST"), QStringLiteral("MEMOPASS")) == QLatin1String("DA");
    remember->setChecked(memo);
    email->setText(memo ? DecodeDigits(ReadLocalSetting(QStringLiteral("CONST"), QStringLiteral("EM"))) : QString());
    password->setText(memo ? DecodeDigits(ReadLocalSetting(QStringLiteral("CONST"), QStringLiteral("PS"))) : QString());
}

void RemoteBackupWindow::setMask(const QString& mask)
{
    m_mask = mask.leftJustified(5, u'0', true);
    for (int i = 0; i < m_panels.size(); ++i)
        m_panels[i]->setVisible(m_mask[i] == u'1');
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

RemoteAccount RemoteBackupWindow::account() const
{
    return {email->text(), password->text(), ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA")),
            ReadSetting(QStringLiteral("SETARI"), QStringLiteral("JUDET"))};
}

RemoteReply RemoteBackupWindow::run(const std::function<RemoteReply(RemoteBackupClient&)>& operation)
{
    RemoteBackupClient client(settings, account());
    client.progress = [this](const QString& text, qint64 position, qint64 maximum) {
        progressText->setText(text);
        // The bar counts in kilobytes so that large streams fit its range.
        progressBar->setRange(0, int(qMax<qint64>(maximum / 1024, 1)));
        progressBar->setValue(int(position / 1024));
    };
    m_running = &client;
    setEnabled(false);
    m_progressPanel->show();
    RemoteReply reply = operation(client);
    m_progressPanel->hide();
    setEnabled(true);
    m_running = nullptr;
    if (!reply.ok())
        error(QStringLiteral("Transmitere date"), reply.error);
    return reply;
}

void RemoteBackupWindow::showReply(const RemoteReply& reply)
{
    if (reply.wrongPassword()) {
        reminderButton->show();
        return;
    }
    for (const QString& text : reply.messages())
        MessageDialog::Mesaj(QStringLiteral("Mesaj de la Server"), text, kButtonOK, kKindInformation);
    if (reply.reply.has("/DATAIN"))
        created->setText(reply.reply.value("/DATAIN"));
    if (reply.reply.has("/DATAEXP"))
        expires->setText(reply.reply.value("/DATAEXP"));
    if (reply.reply.has("/NOWSERVER")) {
        const QDateTime sent = reply.serverTime();
        const QDateTime when = sent.isValid() ? sent : QDateTime::currentDateTime();
        serverTime->setText(when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    }
}

void RemoteBackupWindow::login()
{
    email->setText(CleanText(email->text()));
    if (!hestavo::IsValidEmail(email->text())) {
        ShowProblemHint(QStringLiteral("Email incorect!!"), email);
        return;
    }
    password->setText(CleanText(password->text()));
    if (password->text().isEmpty()) {
        ShowProblemHint(QStringLiteral("Lipseste parola!!"), password);
        return;
    }
    if (remember->isChecked()) {
        WriteLocalSetting(QStringLiteral("CONST"), QStringLiteral("EM"), EncodeDigits(email->text()));
        WriteLocalSetting(QStringLiteral("CONST"), QStringLiteral("PS"), EncodeDigits(password->text()));
        WriteSetting(QStringLiteral("CONST"), QStringLiteral("MEMOPASS"), QStringLiteral("DA"));
        // The encoding hides nothing: only this computer's user may read the file.
        QFile::setPermissions(localSettingsFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    } else {
        WriteSetting(QStringLiteral("CONST"), QStringLiteral("MEMOPASS"), QStringLiteral("NU"));
    }
    const RemoteReply reply = run([](RemoteBackupClient& c) { return c.info(); });
    if (!reply.ok())
        return;
    code->setText(QStringLiteral("0"));
    showReply(reply);
    if (reply.wrongPassword()) {
        error(QStringLiteral("Conectare la server"), QStringLiteral("Parola este incorecta!"));
        return;
    }
    accountEmail->setText(email->text());
    if (reply.needsCode()) {
        setMask(QStringLiteral("011000"));
        return;
    }
    setMask(QStringLiteral("001100"));
    if (!m_archive.isEmpty())
        upload();
}

void RemoteBackupWindow::checkCode()
{
    const QString text = code->text().trimmed();
    bool number = false;
    const int value = text.toInt(&number);
    if (text.size() >= 7 || !number || value < 0) {
        ShowProblemHint(QStringLiteral("Cod incorect!"), code);
        return;
    }
    const RemoteReply reply = run([value](RemoteBackupClient& c) { return c.checkCode(value); });
    if (!reply.ok())
        return;
    showReply(reply);
    if (reply.needsCode() || reply.wrongPassword()) {
        error(QStringLiteral("Verificare Cod"), QStringLiteral("Codul introdus este incorect!"));
        return;
    }
    setMask(QStringLiteral("00110"));
}

void RemoteBackupWindow::emailPassword()
{
    reminderButton->hide();
    const RemoteReply reply = run([](RemoteBackupClient& c) { return c.emailPassword(); });
    if (reply.ok())
        showReply(reply);
}

void RemoteBackupWindow::changePassword()
{
    PasswordEditor editor(this);
    QString newPassword;
    if (!editor.Execute(newPassword))
        return;
    const RemoteReply reply = run([newPassword](RemoteBackupClient& c) { return c.setPassword(newPassword); });
    if (!reply.ok())
        return;
    showReply(reply);
    password->setText(newPassword);
    if (remember->isChecked())
        WriteLocalSetting(QStringLiteral("CONST"), QStringLiteral("PS"), EncodeDigits(newPassword));
}

bool RemoteBackupWindow::upload()
{
    auto refuse = [] {
        error(QStringLiteral("Salvare pe server"), QStringLiteral("Salvarea nu s-a facut!"));
        return false;
    };
    QString note;
    QString archive = m_archive;
    QString made;   // an archive of the data folder written for this send
    if (!archive.isEmpty()) {
        note = QStringLiteral("Salvare la inchiderea programului.");
    } else {
        if (!askNote(&note))
            return false;
        QString why;
        const QString snapshot = SnapshotDataFolder(&why);
        made = FreshTempFile(QStringLiteral("Srv"), QStringLiteral(".L21"));
        try {
            if (snapshot.isEmpty() || made.isEmpty())
                throw ArchiveError(why);
            ClearTableIndexFlags(snapshot);
            WriteArchive(snapshot, made);
            DeleteFolderTree(snapshot);
        } catch (const ArchiveError& e) {
            DeleteFolderTree(snapshot);
            QFile::remove(made);
            if (!e.message().isEmpty())
                error(QStringLiteral("Salvare pe server"), e.message());
            return refuse();
        }
        archive = made;
    }
    const RemoteReply reply = run([&](RemoteBackupClient& c) { return c.sendArchive(archive, note); });
    if (!made.isEmpty())
        QFile::remove(made);
    if (!reply.ok())
        return refuse();
    showReply(reply);
    progressText->setText(QStringLiteral("Terminat."));
    if (!m_archive.isEmpty()) {
        m_sent = true;
        accept();
    }
    return true;
}

QString RemoteBackupWindow::stocFile() const { return paths().tempFolder + "/Stoc.dbf"; }

void RemoteBackupWindow::showList()
{
    const RemoteReply reply = run([](RemoteBackupClient& c) { return c.list(); });
    if (!reply.ok())
        return;
    showReply(reply);
    setMask(QStringLiteral("00101"));
    fillList();
    if (list->rowCount() > 0)
        list->selectRow(list->rowCount() - 1);
}

void RemoteBackupWindow::fillList()
{
    list->setRowCount(0);
    try {
        for (const StoredBackup& stored : ReadStoredBackups(stocFile())) {
            const int row = list->rowCount();
            list->insertRow(row);
            auto* date = new QTableWidgetItem(stored.saved.toString(QStringLiteral("dd.MM.yyyy")));
            date->setData(Qt::UserRole, stored.id);
            list->setItem(row, 0, date);
            list->setItem(row, 1, new QTableWidgetItem(stored.saved.toString(QStringLiteral("HH:mm:ss"))));
            list->setItem(row, 2, new QTableWidgetItem(stored.note));
        }
    } catch (const std::exception& e) {
        error(QStringLiteral("Lista salvarilor"), QString::fromUtf8(e.what()));
    }
    const bool any = list->rowCount() > 0;
    loadButton->setEnabled(any);
    deleteButton->setEnabled(any);
}

void RemoteBackupWindow::dropList()
{
    list->setRowCount(0);
    QFile::remove(stocFile());
}

void RemoteBackupWindow::back()
{
    dropList();
    setMask(QStringLiteral("00110"));
}

QString RemoteBackupWindow::confirmSelected(const QString& title, const QString& question)
{
    const int row = list->currentRow();
    if (row < 0 || MessageDialog::Mesaj(title, question, kDeleteQuestion, kKindWarning) != Answer::Yes)
        return {};
    return list->item(row, 0)->data(Qt::UserRole).toString();
}

void RemoteBackupWindow::deleteSelected()
{
    const QString id =
        confirmSelected(QStringLiteral("Stergere Salvare"), QStringLiteral("Doriti sa stergeti salvarea selectata?"));
    if (id.isEmpty())
        return;
    const RemoteReply reply = run([id](RemoteBackupClient& c) { return c.remove(id); });
    if (!reply.ok())
        return;
    showReply(reply);
    try {
        Db().exec(sqlLines({"DELETE FROM " + quotedPath(stocFile()), "WHERE IDSTOC=" + id}));
    } catch (const std::exception& e) {
        error(QStringLiteral("Lista salvarilor"), QString::fromUtf8(e.what()));
    }
    fillList();
    if (list->rowCount() > 0)
        list->selectRow(list->rowCount() - 1);
}

void RemoteBackupWindow::loadSelected()
{
    const QString id = confirmSelected(QStringLiteral("Incarcare date"),
                                       QStringLiteral("Doriti sa inlocuim datele cu cele din Salvarea selectata?"));
    if (id.isEmpty())
        return;
    const RemoteReply reply = run([id](RemoteBackupClient& c) { return c.fetch(id); });
    if (!reply.ok())
        return;
    showReply(reply);
    dropList();
    setMask(QStringLiteral("00110"));
    const QString archive = reply.files.value(0);
    if (!restoreArchive()) {
        MessageDialog::Mesaj(QStringLiteral("Incarcare date"), QStringLiteral("Comanda nu este inca disponibila."),
                             kButtonOK, kKindInformation);
        QFile::remove(archive);
        return;
    }
    if (restoreArchive()(archive)) {
        QFile::remove(archive);
        accept();
        QCoreApplication::exit(0);
        return;
    }
    QFile::remove(archive);
}

void RemoteBackupWindow::reject()
{
    // Closing during a request stops it ("Oprire fortata.").
    if (m_running) {
        m_running->stop();
        return;
    }
    QDialog::reject();
}

void RemoteBackupWindow::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        m_running->stop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
