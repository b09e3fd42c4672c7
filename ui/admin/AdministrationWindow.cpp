#include "ui/admin/AdministrationWindow.h"

#include "backup/NetworkFolder.h"
#include "backup/Passwords.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/Shell.h"
#include "register/AdminValues.h"
#include "register/Counties.h"
#include "ui/admin/RecalculateCommand.h"
#include "ui/backup/NetworkFolderCommands.h"
#include "ui/backup/PasswordCommands.h"
#include "ui/backup/SaveFolderButtons.h"
#include "ui/common/Choosers.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/ElidedPathLabel.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/TextInput.h"
#include "ui/documents/TemplateMenu.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QMap>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace hestavo;

namespace {

QLineEdit* TextField(QWidget* parent, const char* name, int maxLength)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(maxLength);
    return e;
}

// Amounts of up to 4 integer digits, with the decimal comma (or point); the
// supplements are kept as whole lei when saved.
QLineEdit* NumberField(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    MoneyInput(e, 4);
    e->setAlignment(Qt::AlignRight);
    e->setFixedWidth(60);
    return e;
}

QPushButton* Button(QWidget* parent, const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QToolButton* PictureButton(QWidget* parent, QStyle::StandardPixmap pixmap, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setIcon(parent->style()->standardIcon(pixmap));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

// A field that does not hold a number counts as 0.
Money FieldMoney(const QLineEdit* e) { return parseAmount(e->text()); }
QString MoneyText(Money m) { return formatAmount(m); }

// Menu of the template commands: each leaf offers editing the template and
// bringing back its shipped form.
QMenu* TemplateMenu(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName("ModeleMenu");
    QMap<QString, QMenu*> submenus;
    for (const TemplateMenuEntry& entry : TemplateMenuEntries()) {
        const EditableTemplate* t = FindEditableTemplate(entry.file);
        if (!t)
            continue;
        QMenu* owner = menu;
        for (int i = 0; i < entry.path.size(); ++i) {
            const QString key = entry.path.mid(0, i + 1).join('>');
            if (!submenus.contains(key))
                submenus.insert(key, owner->addMenu(entry.path[i]));
            owner = submenus.value(key);
        }
        QObject::connect(owner->addAction(kEditTemplateItem), &QAction::triggered, parent,
                         [t] { RunCommand([t] { EditTemplate(*t); }); });
        QObject::connect(owner->addAction(kRestoreTemplateItem), &QAction::triggered, parent,
                         [t] { RunCommand([t] { RestoreTemplate(*t); }); });
    }
    return menu;
}

} // namespace

AdministrationWindow::AdministrationWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form4");
    setWindowTitle("Administrare program");

    auto* title = new QLabel("SETARI", this);
    title->setObjectName("SectionTitle");
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    // Identification and signatories.
    auto* ident = new QGroupBox(this);
    auto* form = new QFormLayout(ident);
    m_uat = new QComboBox(ident);
    m_uat->setObjectName("UAT");
    m_uat->addItems(AuthorityKinds());
    m_primaria = TextField(ident, "PRIMARIA", 32);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_uat);
    nameRow->addWidget(m_primaria, 1);
    form->addRow(nameRow);
    m_tiploc = new QComboBox(ident);
    m_tiploc->setObjectName("TIPLOC");
    m_tiploc->addItems(LocalityTypes());
    form->addRow("Tip localitate", m_tiploc);
    m_sirues = TextField(ident, "SIRUES", 16);
    form->addRow("Cod fiscal", m_sirues);
    m_judet = new QComboBox(ident);
    m_judet->setObjectName("JUDET");
    m_judet->addItems(CountyNames());
    m_judet->setMaxVisibleItems(20);
    form->addRow("Judetul", m_judet);
    m_codjud = TextField(ident, "CODJUD", 16);
    form->addRow("Cod judet", m_codjud);
    m_primar = TextField(ident, "PRIMAR", 32);
    form->addRow("Primar", m_primar);
    m_viceprimar = TextField(ident, "VICEPRIMAR", 32);
    form->addRow("Secretar", m_viceprimar);
    m_contabil = TextField(ident, "CONTABIL", 32);
    form->addRow("Contabil", m_contabil);
    m_director = TextField(ident, "DIRECTOR", 32);
    form->addRow("Director", m_director);
    m_intocmit = TextField(ident, "INTOCMIT", 32);
    form->addRow("Intocmit", m_intocmit);
    m_cuOle = new QCheckBox("Utilizeaza Office 2010", ident);
    m_cuOle->setObjectName("CuOLE");
    form->addRow(m_cuOle);

    // Bracket table.
    auto* brackets = new QGroupBox("Valoare ajutor dupa venit / membru", this);
    brackets->setObjectName("BracketGroup");
    auto* grid = new QGridLayout(brackets);
    auto* limTitle = new QLabel("Limita de venituri -LEI-\npe membru de familie", brackets);
    limTitle->setAlignment(Qt::AlignCenter);
    auto* cuTitle = new QLabel("Cuantum\najutor -lei", brackets);
    cuTitle->setAlignment(Qt::AlignCenter);
    grid->addWidget(limTitle, 0, 0, 1, 4);
    grid->addWidget(cuTitle, 0, 5);
    for (int i = 0; i < 11; ++i) {
        int gridRow = i + 1;
        if (i == 10) {
            grid->addWidget(new QLabel("In cazul persoanei singure:", brackets), gridRow, 0, 1, 6);
            ++gridRow;
        }
        if (i > 0) {
            grid->addWidget(new QLabel("peste", brackets), gridRow, 0);
            m_peste[i] = new QLabel(brackets);
            m_peste[i]->setObjectName(QStringLiteral("Peste%1").arg(i + 1));
            m_peste[i]->setMinimumWidth(40);
            m_peste[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->addWidget(m_peste[i], gridRow, 1);
        }
        grid->addWidget(new QLabel("pana la", brackets), gridRow, 2);
        m_lim[i] = NumberField(brackets, QStringLiteral("Lim%1").arg(i + 1));
        grid->addWidget(m_lim[i], gridRow, 3);
        grid->addWidget(new QLabel("lei  >>>", brackets), gridRow, 4);
        m_cu[i] = NumberField(brackets, QStringLiteral("Cu%1").arg(i + 1));
        grid->addWidget(m_cu[i], gridRow, 5);
        if (i < 10)
            connect(m_lim[i], &QLineEdit::textChanged, this, [this, i] { bracketLimitChanged(i + 1); });
    }

    // Supplement amounts.
    auto* supplements = new QGroupBox("Valori supliment lunar energie", this);
    auto* sup = new QGridLayout(supplements);
    m_indL = NumberField(supplements, "IndL");
    m_indG = NumberField(supplements, "IndG");
    m_indT = NumberField(supplements, "IndT");
    m_indE = NumberField(supplements, "IndE");
    m_indE2 = NumberField(supplements, "IndE2");
    m_indE2->setToolTip("In situatia cand este singura sursa de energie utilizata).");
    sup->addWidget(new QLabel("Combustibili solizi / petrolieri", supplements), 0, 0);
    sup->addWidget(m_indL, 0, 1);
    sup->addWidget(new QLabel("Gaze naturale", supplements), 1, 0);
    sup->addWidget(m_indG, 1, 1);
    sup->addWidget(new QLabel("Energie termica", supplements), 2, 0);
    sup->addWidget(m_indT, 2, 1);
    sup->addWidget(new QLabel("Energie electrica", supplements), 3, 0);
    auto* elec = new QHBoxLayout;
    elec->addWidget(m_indE);
    elec->addWidget(new QLabel("(", supplements));
    elec->addWidget(m_indE2);
    elec->addWidget(new QLabel(")", supplements));
    elec->addStretch();
    sup->addLayout(elec, 3, 1);
    auto* recalc = Button(supplements, "&Recalculeaza cererile", "RecalcButton");
    sup->addWidget(recalc, 4, 0, 1, 2);
    connect(recalc, &QPushButton::clicked, this, [this] { RunCommand([this] { Recalculeaza(); }); });

    // Administrator password.
    auto* password = new QGroupBox("Parola administrator", this);
    auto* pass = new QFormLayout(password);
    m_pass1 = TextField(password, "Parola1", 40);
    m_pass2 = TextField(password, "Parola2", 40);
    m_pass1->setEchoMode(QLineEdit::Password);
    m_pass2->setEchoMode(QLineEdit::Password);
    pass->addRow("Parola noua", m_pass1);
    pass->addRow("Repetati parola", m_pass2);
    auto* change = Button(password, "&Schimba parola", "SchimbaParola");
    pass->addRow(change);
    connect(change, &QPushButton::clicked, this, [this] { RunCommand([this] { changePassword(); }); });

    // Paths of the network database and of the automatic saves.
    auto* paths = new QGroupBox("Cai de lucru", this);
    auto* pathGrid = new QGridLayout(paths);
    m_serverPath = new ElidedPathLabel(paths);
    m_serverPath->setObjectName("ServerPath");
    m_savePath = new ElidedPathLabel(paths);
    m_savePath->setObjectName("SavePath");
    pathGrid->addWidget(new QLabel("Baza de date in retea:", paths), 0, 0);
    pathGrid->addWidget(m_serverPath, 0, 1);
    const std::array<QToolButton*, 4> pathButtons{
        PictureButton(paths, QStyle::SP_DirOpenIcon, "Modificare cale server."),
        PictureButton(paths, QStyle::SP_TrashIcon, "Stergere cale server. Lucru local."),
        PictureButton(paths, QStyle::SP_DirOpenIcon, "Modificare cale salvari automate."),
        PictureButton(paths, QStyle::SP_TrashIcon, "Stergere cale salvari automate.")};
    pathGrid->addWidget(pathButtons[0], 0, 2);
    pathGrid->addWidget(pathButtons[1], 0, 3);
    pathGrid->addWidget(new QLabel("Salvari automate:", paths), 1, 0);
    pathGrid->addWidget(m_savePath, 1, 1);
    pathGrid->addWidget(pathButtons[2], 1, 2);
    pathGrid->addWidget(pathButtons[3], 1, 3);
    pathGrid->setColumnStretch(1, 1);
    connect(pathButtons[0], &QToolButton::clicked, this, [this] { RunCommand([this] { connectServer(); }); });
    connect(pathButtons[1], &QToolButton::clicked, this, [this] { RunCommand([this] { disconnectServer(); }); });
    connect(pathButtons[2], &QToolButton::clicked, this, [this] { backup::ChangeSaveFolderClicked(this, m_savePath); });
    connect(pathButtons[3], &QToolButton::clicked, this, [this] { backup::ClearSaveFolderClicked(m_savePath); });

    // The password and path groups sit under the identification: Tab goes
    // down that column before moving on to the bracket table on the right.
    setTabOrder(m_cuOle, m_pass1);
    setTabOrder(m_pass1, m_pass2);
    setTabOrder(m_pass2, change);
    QWidget* previous = change;
    for (QToolButton* b : pathButtons) {
        setTabOrder(previous, b);
        previous = b;
    }

    // Bottom buttons.
    auto* templates = Button(this, "Modifica modele de listare", "ModeleButton");
    QMenu* templateMenu = TemplateMenu(this);
    connect(templates, &QPushButton::clicked, this, [templates, templateMenu] {
        templateMenu->popup(templates->mapToGlobal(QPoint(0, templates->height())));
    });
    m_save = Button(this, "Memoreaza si inchide", "Memoreaza");
    m_save->setAutoDefault(true); // Enter on the focused button saves
    connect(m_save, &QPushButton::clicked, this, [this] { RunCommand([this] { saveAndClose(); }); });
    auto* cancel = Button(this, "&Renunta", "Renunta");
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(ident);
    left->addWidget(password);
    left->addWidget(paths);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(brackets);
    right->addWidget(supplements);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(templates);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addWidget(title);
    top->addLayout(columns);
    top->addLayout(buttons);

    connect(m_judet, &QComboBox::currentIndexChanged, this, &AdministrationWindow::countyChanged);
    m_pass1->installEventFilter(this);
    m_pass2->installEventFilter(this);

    SetValues(AdminSettings{});
}

void AdministrationWindow::SetValues(const AdminSettings& s)
{
    m_uat->setCurrentIndex(std::max(0, int(AuthorityKinds().indexOf(s.uat))));
    m_primaria->setText(s.primaria);
    m_sirues->setText(s.sirues);
    m_judet->setCurrentIndex(CountyIndex(s.judet));
    countyChanged();
    m_codjud->setText(s.codjud);
    m_primar->setText(s.primar);
    m_viceprimar->setText(s.viceprimar);
    m_contabil->setText(s.contabil);
    m_intocmit->setText(s.intocmit);
    m_director->setText(s.director);
    m_tiploc->setCurrentIndex(s.tiploc);
    for (int i = 0; i < 11; ++i) {
        m_lim[i]->setText(MoneyText(s.brackets.limits[i]));
        m_cu[i]->setText(MoneyText(s.brackets.aids[i]));
    }
    m_indL->setText(MoneyText(s.supplements.solid));
    m_indG->setText(MoneyText(s.supplements.gas));
    m_indT->setText(MoneyText(s.supplements.thermal));
    m_indE->setText(MoneyText(s.supplements.electric));
    m_indE2->setText(MoneyText(s.supplements.electricOnly));
    m_cuOle->setChecked(s.cuOle);
}

void AdministrationWindow::LoadSettings()
{
    const AdminSettings s = LoadAdminSettings();
    SetValues(s);
    SetAdminValues(s);
    const QString server = ReadMachineSetting("SERVER").trimmed();
    m_serverPath->setPath(server.isEmpty() ? QStringLiteral("-") : server);
    // The automatic-save folder chosen at start-up for this run ("-" for none).
    QString saves = paths().autoSaveFolder.trimmed();
    if (saves.isEmpty())
        saves = ReadMachineSetting("CALESALVARI").trimmed();
    m_savePath->setPath(saves.isEmpty() ? QStringLiteral("-") : saves);
}

AdminSettings AdministrationWindow::FormValues() const
{
    AdminSettings s;
    s.uat = m_uat->currentText();
    s.primaria = m_primaria->text();
    s.tiploc = m_tiploc->currentIndex();
    s.sirues = m_sirues->text();
    s.judet = m_judet->currentIndex() < 0 ? QString() : m_judet->currentText();
    s.codjud = m_codjud->text();
    s.primar = m_primar->text();
    s.viceprimar = m_viceprimar->text();
    s.contabil = m_contabil->text();
    s.director = m_director->text();
    s.intocmit = m_intocmit->text();
    s.cuOle = m_cuOle->isChecked();
    for (int i = 0; i < 11; ++i) {
        s.brackets.limits[i] = FieldMoney(m_lim[i]);
        s.brackets.aids[i] = FieldMoney(m_cu[i]);
    }
    // Supplement amounts are whole lei.
    auto whole = [](const QLineEdit* e) { return Money(WholeLei(FieldMoney(e))) * kMoneyUnit; };
    s.supplements.solid = whole(m_indL);
    s.supplements.gas = whole(m_indG);
    s.supplements.thermal = whole(m_indT);
    s.supplements.electric = whole(m_indE);
    s.supplements.electricOnly = whole(m_indE2);
    return s;
}

void AdministrationWindow::StoreSettings()
{
    StoreAdminSettings(FormValues());
}

void AdministrationWindow::countyChanged()
{
    AdminSettings s;
    s.judet = m_judet->currentIndex() < 0 ? QString() : m_judet->currentText();
    s.codjud = m_codjud->text().trimmed();
    ApplyCountyRule(s, m_shownCounty);
    m_shownCounty = s.judet;
    if (s.codjud != m_codjud->text().trimmed())
        m_codjud->setText(s.codjud);
    emit bacauReportVisible(s.judet == QLatin1String("BACAU"));
}

void AdministrationWindow::bracketLimitChanged(int row)
{
    m_peste[row]->setText(m_lim[row - 1]->text());
}

void AdministrationWindow::saveAndClose()
{
    AdminSettings s = FormValues();
    if (auto refusal = PrepareForSave(s)) {
        QWidget* at = refusal->field == SaveRefusal::Name     ? static_cast<QWidget*>(m_primaria)
                      : refusal->field == SaveRefusal::County ? static_cast<QWidget*>(m_judet)
                                                              : static_cast<QWidget*>(m_sirues);
        ShowProblemHint(refusal->message, at);
        return;
    }
    m_primaria->setText(s.primaria);
    m_sirues->setText(s.sirues);
    m_codjud->setText(s.codjud);
    emit bacauReportVisible(s.judet == QLatin1String("BACAU"));
    StoreAdminSettings(s);
    accept();
}

void AdministrationWindow::Recalculeaza()
{
    RecalculeazaCommand(FormValues());
}

void AdministrationWindow::changePassword()
{
    if (::ChangeAdminPassword(m_pass1->text(), m_pass2->text())) {
        m_pass1->clear();
        m_pass2->clear();
    }
}

bool AdministrationWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the first password edit moves to the second, in the second to
    // the save button; the key goes no further.
    if (event->type() == QEvent::KeyPress && (watched == m_pass1 || watched == m_pass2)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == m_pass1)
                m_pass2->setFocus();
            else
                m_save->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AdministrationWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the button that has the focus (so it saves only from
    // "Memoreaza si inchide"); in a field it moves to the next one, so that a
    // clerk who ends a line with Enter does not close the window.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
        button->click();
    else
        focusNextChild();
    event->accept();
}

void AdministrationWindow::done(int result)
{
    QDialog::done(result);
    RunCommand([this] { LoadSettings(); });
}

void AdministrationWindow::connectServer()
{
    const QString folder = ChooseFolder(this, QStringLiteral("Indicati baza de date din retea"), paths().dataFolder);
    if (folder.isEmpty() || !ConnectNetworkFolder(folder))
        return;
    m_serverPath->setText(ReadMachineSetting(QStringLiteral("SERVER")));
    endProgram();
}

void AdministrationWindow::disconnectServer()
{
    if (!DisconnectNetworkFolder(m_serverPath->text(), m_serverPath))
        return;
    m_serverPath->setText(QStringLiteral("  -"));
    endProgram();
}

void AdministrationWindow::endProgram()
{
    // The new mode takes effect at the next start.
    reject();
    QCoreApplication::exit(0);
}
