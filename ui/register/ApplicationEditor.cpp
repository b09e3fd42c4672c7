#include "ui/register/ApplicationEditor.h"

#include "data/Db.h"
#include "data/Files.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "register/AdminValues.h"
#include "register/ApplicationStore.h"
#include "register/Cnp.h"
#include "register/HouseholdMembers.h"
#include "register/RegisterQueries.h"
#include "register/WorkingMonth.h"
#include "ui/common/ComboFill.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/DateInput.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/TextInput.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/MemberListPanel.h"
#include "ui/register/SupplementDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace hestavo;

namespace {

const QStringList kCivilStatus{"Casatorit /a", "Necasatorit /a ", "Uniune consensuala ", "Despartit /a in fapt",
                               "Vaduv /a", "Divortat /a"};
const QStringList kCivilCodes{"C", "N", "UC", "DF", "V", "D"};
const QStringList kSchooling{"Fara studii ", "Studii generale", "Studii medii", "Studii superioare"};
const QStringList kSchoolingCodes{"FS", "G", "M", "S"};
const QStringList kOccupations{"salariat", "pensionar", "somer", "student", "independent", "lucrator agricol",
                               "lucrator ocazional", "elev", "indemnizatie handicap", "fara venituri"};

QString Whole(Money m) { return QString::number((m + kMoneyUnit / 2) / kMoneyUnit); }

QString CodeAt(const QStringList& codes, int index) { return index >= 0 && index < codes.size() ? codes[index] : QString(); }


QLineEdit* SizedField(QWidget* parent, const char* name, int chars)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(e->fontMetrics().averageCharWidth() * (chars + 4) + 12);
    return e;
}

QLineEdit* NumberField(QWidget* parent, const char* name, int digits)
{
    QLineEdit* e = SizedField(parent, name, digits);
    NumberInput(e, digits);
    return e;
}

QLineEdit* MoneyField(QWidget* parent, const char* name, int digits)
{
    QLineEdit* e = SizedField(parent, name, digits + 2);
    MoneyInput(e, digits);
    return e;
}

QLineEdit* UpperField(QWidget* parent, const char* name, int length)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(length);
    ForceUpperCase(e);
    return e;
}

QCheckBox* Box(QWidget* parent, const char* caption, const char* name)
{
    auto* b = new QCheckBox(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

ApplicationEditor& ApplicationEditor::instance()
{
    // Lives for the whole run; never destroyed after the application object.
    static ApplicationEditor* editor = new ApplicationEditor;
    return *editor;
}

ApplicationEditor::ApplicationEditor(QWidget* parent) : QDialog(parent)
{
    setObjectName("ApplicationEditor");
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    saveButton = new QPushButton("&Memoreaza", this);
    saveButton->setObjectName("Save");
    cancelButton = new QPushButton("&Renunt", this);
    cancelButton->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);

    auto* left = new QVBoxLayout;
    left->addWidget(buildApplicationGroup());
    left->addWidget(buildHouseholdGroup());
    left->addWidget(buildControlGroup());
    auto* right = new QVBoxLayout;
    memberList = new MemberListPanel(this);
    updateFromMembers = memberList->updateFromMembers;
    right->addWidget(memberList, 1);
    right->addWidget(buildAidGroup());
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(columns);
    top->addLayout(buttons);

    connect(saveButton, &QPushButton::clicked, this, &ApplicationEditor::saveApplication);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(cnpField, &QLineEdit::textChanged, this, &ApplicationEditor::cnpChanged);
    connect(status, &QComboBox::currentIndexChanged, this, &ApplicationEditor::statusChanged);
    connect(updateFromMembers, &QCheckBox::clicked, this, &ApplicationEditor::RecountFromMembers);
    connect(memberList, &MemberListPanel::addClicked, this, &ApplicationEditor::addMember);
    connect(memberList, &MemberListPanel::changed, this, &ApplicationEditor::RecountFromMembers);
    connect(solidFuel, &QCheckBox::clicked, this, &ApplicationEditor::solidFuelToggled);
    connect(gasButton, &QPushButton::clicked, this, [this] { editSupplement('G'); });
    connect(electricityButton, &QPushButton::clicked, this, [this] { editSupplement('E'); });
    connect(thermalButton, &QPushButton::clicked, this, [this] { editSupplement('T'); });
    EnterMovesToNextInput(this);
    dateField->setDate(QDate::currentDate());
    statusChanged();
}

ApplicationEditor::~ApplicationEditor() = default;

QWidget* ApplicationEditor::buildApplicationGroup()
{
    auto* group = new QGroupBox(this);
    cnpField = new CnpEdit(group);
    cnpField->setObjectName("Cnp");
    numberField = NumberField(group, "Number", 10);
    auto* date = new DateInput(QDate::currentDate(), group);
    date->setObjectName("Date");
    // The minimum date stands for "no date" and shows as an empty field.
    date->allowEmpty();
    dateField = date;
    newNumbering = Box(group, "numerotare noua", "NewNumbering");
    startMonth = new QComboBox(group);
    startMonth->setObjectName("StartMonth");
    for (int m = 1; m <= 12; ++m)
        startMonth->addItem(QString::number(m).rightJustified(2, u'0'));
    startYear = NumberField(group, "StartYear", 4);
    period = NumberField(group, "Period", 2);
    payment = new QComboBox(group);
    payment->setObjectName("Payment");
    payment->addItems({"CEC", "OP"});

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel("CNP", group), 0, 0);
    grid->addWidget(cnpField, 0, 1, 1, 2);
    grid->addWidget(new QLabel("Cererea numarul", group), 1, 0);
    grid->addWidget(numberField, 1, 1);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(new QLabel("din data", group));
    dateRow->addWidget(dateField);
    dateRow->addWidget(newNumbering);
    grid->addLayout(dateRow, 1, 2);
    grid->addWidget(new QLabel("Ajutorul se acorda incepand cu luna", group), 2, 0);
    auto* start = new QHBoxLayout;
    start->addWidget(startMonth);
    start->addWidget(new QLabel("anul", group));
    start->addWidget(startYear);
    start->addWidget(new QLabel("Pe o perioada de", group));
    start->addWidget(period);
    start->addWidget(new QLabel("luni", group));
    start->addStretch(1);
    grid->addLayout(start, 2, 1, 1, 2);
    grid->addWidget(new QLabel("Mod de plata din Trezorerie", group), 3, 0);
    grid->addWidget(payment, 3, 1);
    return group;
}

QWidget* ApplicationEditor::buildHouseholdGroup()
{
    auto* group = new QGroupBox(this);
    applicant = UpperField(group, "Applicant", ApplicationTextWidth("TITULAR"));
    locality = new QComboBox(group);
    locality->setObjectName("Locality");
    locality->setEditable(true);
    locality->setInsertPolicy(QComboBox::NoInsert);
    locality->lineEdit()->setMaxLength(60);
    ForceUpperCase(locality->lineEdit());
    address = UpperField(group, "Address", 60);
    members = NumberField(group, "Members", 4);
    income = MoneyField(group, "Income", ApplicationIntegerDigits("TVENIT"));
    minimumIncome = Box(group, "Ajutor social - VMG", "MinimumIncome");
    familyAllowance = Box(group, "Ajutor pentru Sustinerea Familiei", "FamilyAllowance");
    status = new QComboBox(group);
    status->setObjectName("Status");
    status->addItems(ApplicationStatuses());
    modified = Box(group, "cu modificare", "Modified");
    reasonLabel = new QLabel("motivul respingerii", group);
    reason = new QComboBox(group);
    reason->setObjectName("Reason");
    reason->setEditable(true);
    reason->setInsertPolicy(QComboBox::NoInsert);
    reason->lineEdit()->setMaxLength(80);

    auto* form = new QFormLayout(group);
    form->addRow("Nume si prenume titular", applicant);
    form->addRow("Localitatea", locality);
    form->addRow("Adresa", address);
    auto* household = new QHBoxLayout;
    household->addWidget(members);
    household->addWidget(new QLabel("Venit total", group));
    household->addWidget(income);
    household->addStretch(1);
    form->addRow("Numar de membri", household);
    auto* others = new QHBoxLayout;
    others->addWidget(minimumIncome);
    others->addWidget(familyAllowance);
    form->addRow(others);
    auto* decision = new QHBoxLayout;
    decision->addWidget(status);
    decision->addWidget(modified);
    decision->addStretch(1);
    form->addRow("Statut dispozitie", decision);
    form->addRow(reasonLabel, reason);
    return group;
}

QWidget* ApplicationEditor::buildControlGroup()
{
    auto* group = new QGroupBox("Date pentru Controlul bazat pe profilul de risc", this);
    civilStatus = new QComboBox(group);
    civilStatus->setObjectName("CivilStatus");
    civilStatus->addItems(kCivilStatus);
    schooling = new QComboBox(group);
    schooling->setObjectName("Schooling");
    schooling->addItems(kSchooling);
    rooms = NumberField(group, "Rooms", 2);
    insured = Box(group, "Asigurare pentru locuinta", "Insured");
    occupation = new QComboBox(group);
    occupation->setObjectName("Occupation");
    occupation->setEditable(true);
    occupation->setInsertPolicy(QComboBox::NoInsert);
    occupation->addItems(kOccupations);
    occupation->lineEdit()->setMaxLength(24);
    ForceLowerCase(occupation->lineEdit());
    children14 = NumberField(group, "Children14", 2);
    children18 = NumberField(group, "Children18", 2);

    auto* form = new QFormLayout(group);
    form->addRow("Stare civila", civilStatus);
    form->addRow("Situatie scolara", schooling);
    auto* dwelling = new QHBoxLayout;
    dwelling->addWidget(rooms);
    dwelling->addWidget(insured);
    dwelling->addStretch(1);
    form->addRow("Numar camere ocupate", dwelling);
    form->addRow("Situatie profesionala", occupation);
    auto* children = new QGroupBox("Total copii:", group);
    auto* childForm = new QHBoxLayout(children);
    childForm->addWidget(new QLabel("Cu varsta pana la 14 ani", children));
    childForm->addWidget(children14);
    childForm->addWidget(new QLabel("Cu varsta peste 14 ani", children));
    childForm->addWidget(children18);
    childForm->addStretch(1);
    form->addRow(children);
    return group;
}


QWidget* ApplicationEditor::buildAidGroup()
{
    auto* group = new QGroupBox("AJUTOARE ACORDATE", this);
    heatingAid = Box(group, "Ajutor de incalzire cu Combustibilizi solizi/petrolieri", "HeatingAid");
    solidFuel = Box(group, "Supliment Comb.solizi/petrol.", "SolidFuel");
    gasButton = new QPushButton("Supliment Gaze naturale", group);
    gasButton->setObjectName("GasSupplement");
    thermalButton = new QPushButton("Supliment energie Termica", group);
    thermalButton->setObjectName("ThermalSupplement");
    electricityButton = new QPushButton("Supliment energie Electrica", group);
    electricityButton->setObjectName("ElectricitySupplement");
    auto amount = [group](const char* name) {
        auto* l = new QLabel("0", group);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(l->fontMetrics().averageCharWidth() * 6);
        return l;
    };
    solidFuelAmount = amount("SolidFuelAmount");
    gasAmount = amount("GasAmount");
    thermalAmount = amount("ThermalAmount");
    electricityAmount = amount("ElectricityAmount");
    auto* grid = new QGridLayout(group);
    grid->addWidget(heatingAid, 0, 0, 1, 3);
    grid->addWidget(new QLabel("- Suplimente", group), 1, 0, 1, 3);
    const struct {
        QWidget* control;
        QLabel* sum;
    } rows[] = {{solidFuel, solidFuelAmount}, {gasButton, gasAmount}, {thermalButton, thermalAmount},
                {electricityButton, electricityAmount}};
    int r = 2;
    for (const auto& row : rows) {
        row.control->setMinimumWidth(row.control->sizeHint().width());
        if (auto* b = qobject_cast<QPushButton*>(row.control))
            b->setAutoDefault(false);
        grid->addWidget(row.control, r, 0);
        grid->addWidget(row.sum, r, 1);
        grid->addWidget(new QLabel("lei/luna", group), r, 2);
        ++r;
    }
    grid->setColumnStretch(3, 1);
    return group;
}


SupplementDialog& ApplicationEditor::supplementDialog()
{
    if (!m_supplementDialog)
        m_supplementDialog = new SupplementDialog(this);
    return *m_supplementDialog;
}

void ApplicationEditor::statusChanged()
{
    const QString s = status->currentText();
    const bool stopped = s == QLatin1String("INCETAT") || s == QLatin1String("RESPINS");
    reasonLabel->setVisible(stopped);
    reason->setVisible(stopped);
    modified->setVisible(s == QLatin1String("APROBAT"));
}

void ApplicationEditor::showAmounts()
{
    solidFuelAmount->setText(Whole(solidFuelSum));
    gasAmount->setText(Whole(gas.amount));
    thermalAmount->setText(Whole(thermal.amount));
    electricityAmount->setText(Whole(electricity.amount));
}

void ApplicationEditor::solidFuelToggled(bool on)
{
    solidFuelSum = on ? AdminValues().supplements.solid : 0;
    showAmounts();
}

void ApplicationEditor::ResetEditor()
{
    const bool lookup = m_lookupOpen;
    m_lookupOpen = false;
    locality->clear();
    FillComboDistinct(locality, quotedTable("Cereri.dbf"), QStringLiteral("LOCALIT"), QString());
    locality->setEditText(QString());
    address->clear();
    applicant->clear();
    cnpField->clear();
    members->setText("0");
    income->setText("0");
    const qint64 next = PeekKey("NR_CERE");
    numberField->setText(QString::number(next > 0 ? next : 1));
    status->setCurrentIndex(0);   // nothing kept from the application shown before
    reason->clear();
    reason->addItems(ReadReasonList());
    reason->setEditText(QString());
    bool ok = false;
    const int month = ReadSetting("CONSTANTE", "LunaI").toInt(&ok);
    startMonth->setCurrentIndex(ok && month >= 0 && month < 12 ? month : 10);
    const QString year = ReadSetting("CONSTANTE", "AnulI");
    startYear->setText(year.isEmpty() ? QString::number(QDate::currentDate().year()) : year);
    const QString per = ReadSetting("CONSTANTE", "PerI");
    period->setText(per.isEmpty() ? QStringLiteral("5") : per);
    rooms->setText("0");
    for (QCheckBox* b : {insured, minimumIncome, familyAllowance, modified})
        b->setChecked(false);
    children14->setText("0");
    children18->setText("0");
    occupation->setCurrentIndex(-1);
    occupation->setEditText(QString());
    payment->setCurrentIndex(0);
    heatingAid->setChecked(true);
    gas = electricity = thermal = SupplyContract{};
    solidFuel->setChecked(true);
    solidFuelToggled(true);
    memberList->clearList();
    m_lookupOpen = lookup;
}

void ApplicationEditor::beginAdd()
{
    setWindowTitle("Adaugare Cerere");
    m_addMode = true;
    m_saved = false;
    m_lookupOpen = false;
    m_membersTable.clear();
    ResetEditor();
    if (!applicationDate().isValid()) // left empty by an undated application
        dateField->setDate(QDate::currentDate());
    m_membersTable = FreshTempFile("FOm", ".dbf");
    if (m_membersTable.isEmpty())
        throw engine::Error("Nu se poate crea tabelul temporar al membrilor FOm.dbf");
    CreateMembersTable(m_membersTable);
    m_memberKey = -2;
    memberList->setTable(m_membersTable, m_memberKey);
    memberList->reload();
    updateFromMembers->setChecked(PeekKey("ACTUALIZARE") > 1);
    m_lookupOpen = true;
    m_opened = formState();
    cnpField->setFocus();
}

bool ApplicationEditor::beginModify(qint64 key)
{
    setWindowTitle("Modificare cerere");
    m_addMode = false;
    m_saved = false;
    m_lookupOpen = false;
    ResetEditor();
    m_membersTable = tableFile("Oameni.dbf");
    m_memberKey = key;
    updateFromMembers->setChecked(PeekKey("ACTUALIZARE") > 1);
    const std::optional<FoundApplication> found = ApplicationByKey(key);
    if (!found)
        return false;
    loadRecord(found->record);
    memberList->setTable(m_membersTable, m_memberKey);
    memberList->reload();
    m_lookupOpen = true;
    m_opened = formState();
    cnpField->setFocus();
    return true;
}

ApplicationEditor::FormState ApplicationEditor::formState() const
{
    FormState state{{}, gas, electricity, thermal, solidFuelSum};
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->window() != this)
            continue;   // the member and supplement dialogs
        if (const auto* e = qobject_cast<QLineEdit*>(w))
            state.values << e->text();
        else if (const auto* c = qobject_cast<QComboBox*>(w))
            state.values << c->currentText();
        else if (const auto* b = qobject_cast<QCheckBox*>(w))
            state.values << QString::number(b->isChecked());
    }
    for (const HouseholdMember& m : memberList->members())
        state.values << m.name + "|" + m.cnp + "|" + QString::number(m.income) + "|" + m.role;
    return state;
}

void ApplicationEditor::reject()
{
    if (formState() != m_opened
        && MessageDialog::Mesaj("Renuntare", "\rRenuntati la modificari?", kDeleteQuestion, kKindConfirmation) != Answer::Yes)
        return;
    QDialog::reject();
}

bool ApplicationEditor::finish()
{
    m_lookupOpen = false;
    SetKey("ACTUALIZARE", updateFromMembers->isChecked() ? 2 : 1);
    if (m_addMode) {
        storeDefaults();
        if (!m_saved)
            dropTemporaryMembers();
    }
    return m_saved;
}

bool ApplicationEditor::OpenForAdd()
{
    if (!RunCommand([this] { beginAdd(); }))
        return false;
    exec();
    return finish();
}

bool ApplicationEditor::OpenForModify(qint64 key)
{
    bool found = false;
    if (!RunCommand([&] { found = beginModify(key); }) || !found) {
        finish();
        return false;
    }
    exec();
    return finish();
}

void ApplicationEditor::dropTemporaryMembers()
{
    // The members of a cancelled new application are of no further use; the
    // data folder's own members table is never a temporary one.
    if (!m_membersTable.isEmpty() && QFileInfo(m_membersTable) != QFileInfo(tableFile("Oameni.dbf")))
        QFile::remove(m_membersTable);
    m_membersTable.clear();
}

void ApplicationEditor::storeDefaults()
{
    WriteSetting("CONSTANTE", "LunaI", QString::number(startMonth->currentIndex()));
    WriteSetting("CONSTANTE", "AnulI", startYear->text());
    WriteSetting("CONSTANTE", "PerI", period->text());
}

void ApplicationEditor::loadRecord(const ApplicationRecord& r)
{
    civilStatus->setCurrentIndex(kCivilCodes.indexOf(r.civilStatus));
    schooling->setCurrentIndex(kSchoolingCodes.indexOf(r.schooling));
    rooms->setText(QString::number(r.rooms));
    insured->setChecked(r.insured);
    startMonth->setCurrentIndex(r.firstAidMonth % 12);
    startYear->setText(QString::number(r.firstAidMonth / 12));
    period->setText(QString::number(r.aidMonths));
    applicant->setText(r.applicant);
    cnpField->setText(r.cnp);
    locality->setEditText(r.locality);
    address->setText(r.address);
    members->setText(QString::number(r.members));
    income->setText(formatAmount(r.totalIncome));
    status->setCurrentIndex(ApplicationStatuses().indexOf(r.status));
    reason->setEditText(r.reason);
    minimumIncome->setChecked(r.minimumIncome);
    familyAllowance->setChecked(r.familyAllowance);
    heatingAid->setChecked(r.withAid);
    modified->setChecked(r.modified);
    solidFuelSum = r.solidFuel;
    gas = r.gas;
    electricity = r.electricity;
    thermal = r.thermal;
    solidFuel->setChecked(r.solidFuel > 0);
    showAmounts();
    numberField->setText(QString::number(r.number));
    dateField->setDate(r.date.isValid() ? r.date : dateField->minimumDate());
    children14->setText(QString::number(r.children14));
    children18->setText(QString::number(r.children18));
    occupation->setEditText(r.occupation);
    SelectComboText(payment, r.payment);
    statusChanged();
}

// ---- members ----

int ApplicationEditor::memberCount() const { return int(memberList->members().size()); }

void ApplicationEditor::RecountFromMembers()
{
    if (!updateFromMembers->isChecked())
        return;
    const QDate d = applicationDate().isValid() ? applicationDate() : QDate::currentDate();
    const QDate a18 = d.addYears(-18);
    const QDate a14 = d.addYears(-14);
    Money total = 0;
    int young = 0, older = 0;
    for (const HouseholdMember& m : memberList->members()) {
        total += m.income;
        const QDate born = Cnp::birthDate(m.cnp);
        if (born < a18)
            continue;
        if (born > a14)
            ++young;
        else
            ++older;
    }
    members->setText(QString::number(memberCount()));
    income->setText(formatAmount(total));
    children14->setText(QString::number(young));
    children18->setText(QString::number(older));
}

void ApplicationEditor::addMember() { memberList->addMember(applicant->text(), cnpField->text()); }

// ---- supplements ----

void ApplicationEditor::editSupplement(char kind)
{
    SupplyContract& contract = kind == 'G' ? gas : kind == 'E' ? electricity : thermal;
    const SupplementAmounts& amounts = AdminValues().supplements;
    const bool onlySource = kind == 'E' && contract.amount == amounts.electricOnly;
    SupplementDialog& dialog = supplementDialog();
    int result = SupplementDialog::Cancelled;
    if (!RunCommand([&] { dialog.prepare(kind, contract, applicant->text(), cnpField->text(), onlySource, m_memberKey); }))
        return;
    result = dialog.exec();
    if (result == SupplementDialog::Saved) {
        contract = dialog.contract();
        contract.amount = kind == 'G' ? amounts.gas
            : kind == 'T'             ? amounts.thermal
            : dialog.onlySource()     ? amounts.electricOnly
                                      : amounts.electric;
    } else if (result == SupplementDialog::Deleted) {
        contract = SupplyContract{};
    }
    showAmounts();
}

// ---- CNP look-up ----

void ApplicationEditor::cnpChanged()
{
    if (!m_lookupOpen)
        return;
    // One look-up at a time; a change that arrives meanwhile runs once more after it.
    if (m_lookupBusy) {
        m_lookupPending = true;
        return;
    }
    m_lookupBusy = true;
    do {
        m_lookupPending = false;
        RunCommand([this] { lookUpCnp(); });
    } while (m_lookupPending);
    m_lookupBusy = false;
}

void ApplicationEditor::lookUpCnp()
{
    if (!cnpField->isValid())
        return;
    const std::optional<FoundApplication> match = LatestApplicationOf(cnpField->text());
    if (!match)
        return;
    const ApplicationRecord& r = match->record;
    applicant->setText(r.applicant);
    locality->setEditText(r.locality);
    address->setText(r.address);
    members->setText(QString::number(r.members));
    income->setText(formatAmount(r.totalIncome));
    minimumIncome->setChecked(r.minimumIncome);
    familyAllowance->setChecked(r.familyAllowance);
    SelectComboText(payment, r.payment);
    civilStatus->setCurrentIndex(kCivilCodes.indexOf(r.civilStatus));
    schooling->setCurrentIndex(kSchoolingCodes.indexOf(r.schooling));
    occupation->setCurrentIndex(occupation->findText(r.occupation));
    insured->setChecked(r.insured);
    rooms->setText(QString::number(r.rooms));
    children14->setText(QString::number(r.children14));
    children18->setText(QString::number(r.children18));
    if (!newNumbering->isChecked())
        numberField->setText(QString::number(r.number));
    if (m_addMode) {
        const SupplementAmounts& amounts = AdminValues().supplements;
        if (r.solidFuel > 0) {
            solidFuel->setChecked(true);
            solidFuelSum = amounts.solid;
        }
        if (r.gas.amount > 0) {
            gas = r.gas;
            gas.amount = amounts.gas;
        }
        if (r.electricity.amount > 0) {
            electricity = r.electricity;
            electricity.amount = amounts.electric;
        }
        showAmounts();
        memberList->replaceWithMembersOf(match->key);
    }
    RecountFromMembers();
    const QString who = match->month == 1 ? "Beneficiar VMG" : match->month == 2 ? "Beneficiar ASF" : "A mai depus";
    ShowProblemHint(who + " cererea nr." + QString::number(r.number) + " / "
                        + r.date.toString("dd.MM.yyyy") + ".",
                    cnpField);
}


// ---- acceptance ----




bool ApplicationEditor::runChecks()
{
    // 1, 2: normalise.
    rooms->setText(QString::number(rooms->text().toInt()));
    members->setText(QString::number(members->text().toInt()));
    children14->setText(QString::number(children14->text().toInt()));
    children18->setText(QString::number(children18->text().toInt()));
    income->setText(formatAmount(parseAmount(income->text())));
    locality->setEditText(CleanText(locality->currentText()));
    address->setText(CleanText(address->text()));
    occupation->setEditText(CleanText(occupation->currentText()));
    if (status->currentText() != QLatin1String("APROBAT"))
        modified->setChecked(false);
    applicant->setText(CleanText(applicant->text()));
    reason->setEditText(reason->currentText().trimmed());
    const int month = MonthToSerial(WorkingMonthText());
    for (const ApplicationProblem& p : CheckApplication(collect(), month, m_addMode ? -1 : m_memberKey)) {
        if (p.isQuestion()) {
            if (MessageDialog::Mesaj(p.title, p.text + "\r" + p.question, p.buttons, p.kind) != Answer::Yes)
                return false;
            continue;
        }
        if (!p.announcement.isEmpty())
            MessageDialog::Mesaj("Memorare Cerere", p.announcement, kButtonOK, kKindError);
        ShowProblemHint(p.text, inputFor(p.field));
        return false;
    }
    return true;
}

QDate ApplicationEditor::applicationDate() const
{
    return dateField->date() == dateField->minimumDate() ? QDate() : dateField->date();
}

QWidget* ApplicationEditor::inputFor(ApplicationField field) const
{
    switch (field) {
    case ApplicationField::Cnp: return cnpField;
    case ApplicationField::Number: return numberField;
    case ApplicationField::Date: return dateField;
    case ApplicationField::StartYear: return startYear;
    case ApplicationField::Period: return period;
    case ApplicationField::Applicant: return applicant;
    case ApplicationField::Locality: return locality;
    case ApplicationField::Address: return address;
    case ApplicationField::Members: return members;
    case ApplicationField::Income: return income;
    case ApplicationField::Status: return status;
    case ApplicationField::Reason: return reason;
    case ApplicationField::Children: return children14;
    case ApplicationField::Occupation: return occupation;
    }
    return members;
}

ApplicationRecord ApplicationEditor::collect() const
{
    ApplicationRecord r;
    r.firstAidMonth = startMonth->currentIndex() + startYear->text().toInt() * 12;
    r.applicant = CleanText(applicant->text());
    r.locality = CleanText(locality->currentText());
    r.address = CleanText(address->text());
    r.cnp = cnpField->text();
    r.members = members->text().toInt();
    r.totalIncome = parseAmount(income->text());
    r.averageIncome = AverageIncome(r.totalIncome, r.members);
    r.minimumIncome = minimumIncome->isChecked();
    r.familyAllowance = familyAllowance->isChecked();
    r.withAid = heatingAid->isChecked();
    r.solidFuel = solidFuelSum;
    r.gas = gas;
    r.electricity = electricity;
    r.thermal = thermal;
    r.status = status->currentText();
    r.monthlyAid = r.withAid ? hestavo::AidForIncome(r.members, IsActiveStatus(r.status), double(r.totalIncome) / kMoneyUnit) : 0;
    r.aidMonths = period->text().toInt();
    r.totalAid = r.aidMonths * r.monthlyAid;
    r.number = numberField->text().toLongLong();
    r.date = applicationDate();
    r.modified = modified->isChecked();
    r.reason = StatusNeedsReason(status->currentText()) ? reason->currentText().trimmed() : QString();
    r.civilStatus = CodeAt(kCivilCodes, civilStatus->currentIndex());
    r.schooling = CodeAt(kSchoolingCodes, schooling->currentIndex());
    r.rooms = rooms->text().toInt();
    r.insured = insured->isChecked();
    r.children14 = children14->text().toInt();
    r.children18 = children18->text().toInt();
    r.occupation = CleanText(occupation->currentText());
    r.payment = payment->currentText();
    return r;
}

void ApplicationEditor::saveApplication()
{
    bool passed = false;
    if (!RunCommand([&] { passed = runChecks(); }) || !passed)
        return;
    RunCommand([this] {
        SetKey("NR_CERE", numberField->text().toLongLong() + 1);
        const QString place = locality->currentText();
        if (locality->findText(place, Qt::MatchExactly) < 0)
            locality->addItem(place);
        SelectComboText(locality, place);
        if (reason->isVisibleTo(this)) {
            const QString why = reason->currentText().trimmed();
            if (reason->findText(why, Qt::MatchExactly) < 0) {
                reason->addItem(why);
                AddReason(why);
            }
        }
        if (!IsActiveStatus(status->currentText())) {
            for (SupplyContract* c : {&gas, &electricity, &thermal}) {
                c->supplier.clear();
                c->clientCode.clear();
                c->pod.clear();
                c->amount = 0;
            }
            solidFuelSum = 0;
            showAmounts();
        }
        m_record = collect();
        m_saved = true;
        accept();
    });
}

bool ModifyThroughEditor(qint64 key)
{
    ApplicationEditor& e = ApplicationEditor::instance();
    e.ResetEditor();
    if (!e.OpenForModify(key))
        return false;
    if (HasApplicationDocuments(key)
        && MessageDialog::Mesaj("Modificare Cerere", "\rDoriti sa stergeti vechea Cerere si Ancheta?", kDeleteQuestion,
                                kKindConfirmation) == Answer::Yes)
        DeleteApplicationDocuments(key);
    return RunCommand([&] { ModifyApplication(key, e.record()); });
}
