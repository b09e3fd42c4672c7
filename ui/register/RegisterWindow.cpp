#include "ui/register/RegisterWindow.h"

#include "ui/register/GridClipboard.h"

#include "data/Db.h"
#include "data/Months.h"
#include "data/Settings.h"
#include "data/Shell.h"
#include "engine/ResultSet.h"
#include "register/AdminValues.h"
#include "register/ApplicationStore.h"
#include "register/MonthCorrections.h"
#include "register/MonthTransfer.h"
#include "register/RegisterModel.h"
#include "register/WorkingMonth.h"
#include "ui/common/Choosers.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressSink.h"
#include "ui/common/TextInput.h"
#include "ui/documents/ApplicationFormsActions.h"
#include "ui/documents/DecisionListDialog.h"
#include "ui/documents/DecisionNumberingDialog.h"
#include "ui/documents/PaymentListDialog.h"
#include "ui/documents/ReportNumberingDialog.h"
#include "ui/documents/ReportRangeDialog.h"
#include "ui/documents/SingleDecisionDialog.h"
#include "ui/documents/VerificationSheetDialog.h"
#include "ui/register/AidMonthsDialog.h"
#include "ui/register/ApplicationDateDialog.h"
#include "ui/register/ApplicationEditor.h"
#include "ui/register/GridExportDialog.h"
#include "ui/register/MonthCheckWindow.h"
#include "ui/register/OtherMonthPicker.h"
#include "ui/register/SetAidDialog.h"
#include "workbook/export/GridExport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace hestavo;

namespace {

constexpr qint64 kNoKey = -1;

// Enter in the grid works as a double click.
class RegisterGrid : public QTableView {
public:
    using QTableView::QTableView;
    std::function<void()> onEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && onEnter) {
            onEnter();
            return;
        }
        QTableView::keyPressEvent(event);
    }
};

} // namespace

RegisterWindow::RegisterWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("RegisterWindow");
    setWindowTitle("Lemne");
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    auto* banner = new QLabel("Cereri pentru ajutorul de incalzire", this);
    banner->setObjectName("Banner");
    QFont big = banner->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    banner->setFont(big);
    banner->setStyleSheet("QLabel { color: #1F3F7F; padding: 2px; }");

    searchField = new QLineEdit(this);
    searchField->setObjectName("SearchName");
    searchField->setMaxLength(32);
    counter = new QLabel(this);
    counter->setObjectName("Counter");

    model = new RegisterModel(this);
    auto* view = new RegisterGrid(this);
    grid = view;
    grid->setObjectName("Grid");
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setAlternatingRowColors(true);
    // Wide enough for the usual values and both lines of the title.
    const QFontMetrics values = grid->fontMetrics();
    const QFontMetrics titles = grid->horizontalHeader()->fontMetrics();
    for (int c = 0; c < int(RegisterModel::columns().size()); ++c) {
        const RegisterModel::Column& column = RegisterModel::columns()[size_t(c)];
        const int width = std::max({values.horizontalAdvance(QString(column.chars, u'0')),
                                    titles.horizontalAdvance(QString::fromLatin1(column.title)),
                                    titles.horizontalAdvance(QString::fromLatin1(column.band))});
        grid->setColumnWidth(c, width + 18);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(banner, 1);
    top->addWidget(new QLabel("Cauta Solicitant", this));
    top->addWidget(searchField);
    top->addSpacing(12);
    top->addWidget(counter);
    auto* buttons = new QVBoxLayout;
    buildButtons(buttons);
    auto* body = new QHBoxLayout;
    body->addWidget(grid, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);

    ForceUpperCase(searchField);
    // The field's text as it stands, in upper case once ForceUpperCase has
    // run (the signal's text may be the one typed before it).
    connect(searchField, &QLineEdit::textChanged, this, [this] { RunCommand([&] { search(searchField->text()); }); });
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) {
                RunCommand([&] { sortBy(column); });
                showOrder();   // a column that does not sort keeps the indicator where it was
            });
    grid->horizontalHeader()->setSortIndicatorShown(true);
    ConnectCommand(grid, &QTableView::doubleClicked, this, [this] {
        if (modifyButton->isEnabled())
            modifyApplication();
    });
    view->onEnter = [this] {
        if (modifyButton->isEnabled())
            RunCommand([this] { modifyApplication(); });
    };
}

RegisterWindow::~RegisterWindow() = default;

QPushButton* RegisterWindow::button(const QString& caption, const char* name)
{
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

void RegisterWindow::buildButtons(QLayout* column)
{
    addButton = button("&Adauga cerere", "AddApplication");
    modifyButton = button("&Modifica cerere", "ModifyApplication");
    deleteButton = button("&Sterge cerere", "DeleteApplication");
    copyButton = button("Adau&ga cereri din alta luna", "CopyFromMonth");
    purgeButton = button("Sterge cereri din alta luna", "PurgeAgainstMonth");
    correctionsButton = button("Modifica date in Cereri", "Corrections");
    auto* corrections = new QMenu(this);
    corrections->setObjectName("CorrectionsMenu");
    ConnectCommand(corrections->addAction("Modifica Data la Cereri"), &QAction::triggered, this, [this] { askApplicationDate(); });
    ConnectCommand(corrections->addAction("Modifica Numar luni ajutor"), &QAction::triggered, this, [this] { askAidMonths(); });
    ConnectCommand(corrections->addAction("Pune/Sterge ajutorul"), &QAction::triggered, this, [this] { askSetAid(); });
    correctionsButton->setMenu(corrections);

    // Commands of the documents and numbering, dispatched from here.
    auto* numberDecisions = button("Numeroteaza Dispozitiile", "NumberDecisions");
    auto* numberReports = button("Numeroteaza Referate", "NumberReports");
    auto* listDecisions = button("Listeaza Dispozitii", "ListDecisions");
    auto* decisions = new QMenu(this);
    ConnectCommand(decisions->addAction("Dispozitie Unica de Stabilire"), &QAction::triggered, this, [this] { ListSingleDecision(this); });
    const std::pair<const char*, const char*> separate[] = {{"Dispozitie de Stabilire Separata", "APROBAT"},
                                                            {"Dispozitie de Modificare", "MODIFICAT"},
                                                            {"Dispozitie de Incetare", "INCETAT"},
                                                            {"Dispozitie de Respingere", "RESPINS"}};
    for (const auto& [item, status] : separate)
        ConnectCommand(decisions->addAction(QString::fromLatin1(item)), &QAction::triggered, this,
                       [this, status] { ListDecisionsOfStatus(QString::fromLatin1(status), this); });
    listDecisions->setMenu(decisions);
    auto* listReports = button("Listeaza Re&ferate", "ListReports");
    auto* listForm = button("Listeaza cerere", "ListApplication");
    auto* forms = new QMenu(this);
    // The commands on the current application's documents.
    const auto onCurrent = [this](std::function<void(qint64)> command) {
        return [this, command] {
            if (const qint64 key = currentKey(); key != kNoKey)
                command(key);
        };
    };
    const std::pair<const char*, FormKind> formItems[] = {{"Anexa 26", FormKind::Full},
                                                          {"Anexa 2 - Forma prescurtata", FormKind::Short}};
    for (const auto& [item, kind] : formItems)
        ConnectCommand(forms->addAction(QString::fromLatin1(item)), &QAction::triggered, this,
                       onCurrent([kind](qint64 key) { ListApplicationForm(kind, key); }));
    listForm->setMenu(forms);
    auto* inquiryAdd = button("Adauga", "InquiryAdd");
    auto* inquiryShow = button("Arata", "InquiryShow");
    auto* inquiryDelete = button("Sterge", "InquiryDelete");
    auto* sheet = button("Fisa de verificare in teren", "VerificationSheet");
    auto* payment = button("Lis&teaza Stat de plata", "PaymentList");
    auto* persons = button("Export DBF persoane", "ExportPersons");
    exportButton = button("Exporta Tabel", "ExportTable");
    auto* check = button("Verificare inainte de raportare", "MonthCheck");

    auto* inquiries = new QHBoxLayout;
    inquiries->addWidget(inquiryAdd);
    inquiries->addWidget(inquiryShow);
    inquiries->addWidget(inquiryDelete);
    auto* inquiryLabel = new QLabel("Anchete", this);
    for (QWidget* w : std::initializer_list<QWidget*>{addButton, modifyButton, deleteButton, copyButton, purgeButton,
                                                      correctionsButton, numberDecisions, numberReports, listDecisions,
                                                      listReports, listForm, inquiryLabel})
        column->addWidget(w);
    static_cast<QVBoxLayout*>(column)->addLayout(inquiries);
    for (QWidget* w : std::initializer_list<QWidget*>{sheet, payment, persons, exportButton, check})
        column->addWidget(w);
    static_cast<QVBoxLayout*>(column)->addStretch(1);

    needRows = {modifyButton, deleteButton, listForm, inquiryAdd, inquiryShow, inquiryDelete, sheet};
    ConnectCommand(addButton, &QPushButton::clicked, this, [this] { addApplication(); });
    ConnectCommand(modifyButton, &QPushButton::clicked, this, [this] { modifyApplication(); });
    ConnectCommand(deleteButton, &QPushButton::clicked, this, [this] { deleteApplication(); });
    ConnectCommand(copyButton, &QPushButton::clicked, this, [this] { askCopy(); });
    ConnectCommand(purgeButton, &QPushButton::clicked, this, [this] { askPurge(); });
    ConnectCommand(exportButton, &QPushButton::clicked, this, [this] { askExport(); });
    ConnectCommand(check, &QPushButton::clicked, this, [this] {
        MonthCheckWindow::Execute(this);
        reopenAt(currentKey());
    });
    ConnectCommand(numberDecisions, &QPushButton::clicked, this, [this, numberDecisions] {
        if (!model->isOpen() || model->rowCount() == 0)
            return ShowProblemHint("Nu aveti afisata nici o cerere!", numberDecisions);
        numberDecisionsAsked();
    });
    ConnectCommand(numberReports, &QPushButton::clicked, this, [this, numberReports] {
        if (!model->isOpen() || model->rowCount() == 0)
            return ShowProblemHint("Nu aveti afisata nici o cerere!", numberReports);
        numberReportsAsked();
    });
    ConnectCommand(listReports, &QPushButton::clicked, this, [this] { ListReports(this); });
    ConnectCommand(persons, &QPushButton::clicked, this, [this] { ExportPersons ? ExportPersons(this) : notAvailable(); });
    ConnectCommand(payment, &QPushButton::clicked, this, [this] { ShowPaymentList(m_month); });
    ConnectCommand(inquiryAdd, &QPushButton::clicked, this,
                   onCurrent([](qint64 key) { ListApplicationForm(FormKind::Inquiry, key); }));
    ConnectCommand(inquiryShow, &QPushButton::clicked, this, onCurrent(ShowInquiry));
    ConnectCommand(inquiryDelete, &QPushButton::clicked, this, onCurrent(AskDeleteInquiry));
    ConnectCommand(sheet, &QPushButton::clicked, this, onCurrent([this](qint64 key) { ListVerificationSheet(key, this); }));
}

std::function<void(QWidget*)> RegisterWindow::ExportPersons;

void RegisterWindow::numberDecisionsAsked()
{
    const qint64 key = currentKey();
    DecisionNumberingDialog dialog(this);
    // The numbering logs itself; leaving the dialog is logged here.
    if (dialog.exec() != QDialog::Accepted)
        RunCommand([] { LogAction(QStringLiteral("Numerotare Dispozitii.")); });
    RunCommand([&] { reopenAt(key); });
}

void RegisterWindow::numberReportsAsked()
{
    const qint64 key = currentKey();
    ReportNumberingDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    RunReportNumbering(dialog.input());
    RunCommand([&] { reopenAt(key); });
}

void RegisterWindow::notAvailable()
{
    MessageDialog::Mesaj("Informatie", "Comanda nu este inca disponibila.", kButtonOK, kKindInformation);
}

ApplicationEditor& RegisterWindow::editor() { return ApplicationEditor::instance(); }

void RegisterWindow::Open()
{
    if (!RunCommand([this] { openList(); }))
        return;
    // The clerk's working screen: as large as the screen allows.
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
    model->close();
}

void RegisterWindow::openList()
{
    m_month = MonthToSerial(WorkingMonthText());
    setWindowTitle("Lemne - luna " + WorkingMonthText());
    model->open(m_month, model->orderField());
    placeCursor(0);
    refreshCounter();
}

qint64 RegisterWindow::currentKey() const { return model->keyAt(currentRow()); }

int RegisterWindow::currentRow() const
{
    const QModelIndex i = grid->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void RegisterWindow::placeCursor(int row)
{
    if (row >= 0 && row < model->rowCount()) {
        grid->setCurrentIndex(model->index(row, grid->currentIndex().isValid() ? grid->currentIndex().column() : 0));
        grid->selectRow(row);
        grid->scrollTo(model->index(row, 0));
    }
    updateButtons();
}

void RegisterWindow::reopenAt(qint64 key)
{
    model->open(m_month, model->orderField());
    const int row = key == kNoKey ? -1 : model->rowOfKey(key);
    placeCursor(row < 0 ? 0 : row);
    refreshCounter();
}

void RegisterWindow::reopenAtLast()
{
    model->open(m_month, model->orderField());
    placeCursor(model->rowCount() - 1);
    refreshCounter();
}

void RegisterWindow::refreshCounter()
{
    counter->setText("Total cereri: " + QString::number(model->rowCount()));
    showOrder();
}

void RegisterWindow::showOrder()
{
    const auto& columns = RegisterModel::columns();
    for (size_t c = 0; c < columns.size(); ++c)
        if (model->orderField() == QLatin1String(columns[c].field)) {
            grid->horizontalHeader()->setSortIndicator(int(c), Qt::AscendingOrder);
            return;
        }
}

void RegisterWindow::updateButtons()
{
    const bool rows = model->rowCount() > 0;
    for (QPushButton* b : needRows)
        b->setEnabled(rows);
}

void RegisterWindow::search(const QString& text)
{
    const qint64 key = currentKey();
    model->setNameSearch(text);
    const int row = key == kNoKey ? -1 : model->rowOfKey(key);
    placeCursor(row < 0 ? 0 : row);
    refreshCounter();
}

void RegisterWindow::sortBy(int column)
{
    if (!model->isOpen() || model->rowCount() == 0 || column < 0 || column >= int(RegisterModel::columns().size()))
        return;
    const QString field = QString::fromLatin1(RegisterModel::columns()[size_t(column)].field);
    if (field == QLatin1String("LUNADECLS"))
        return;
    const qint64 key = currentKey();
    RunCommand([&] {
        model->open(m_month, field);
        const int row = model->rowOfKey(key);
        placeCursor(row < 0 ? 0 : row);
        refreshCounter();
    });
}

void RegisterWindow::addApplication()
{
    ApplicationEditor& e = editor();
    if (!e.OpenForAdd())
        return;
    RunCommand([&] { reopenAt(AddApplication(e.record(), e.membersTable(), m_month)); });
}

void RegisterWindow::modifyApplication()
{
    const qint64 key = currentKey();
    if (key != kNoKey && ModifyThroughEditor(key))
        reopenAt(key);
}

void RegisterWindow::deleteApplication()
{
    const int row = currentRow();
    const qint64 key = currentKey();
    if (key == kNoKey)
        return;
    if (MessageDialog::Mesaj("Stergere cerere", "\rDoriti sa stergem cererea lui " + model->fieldAt(row, "TITULAR") + "?",
                             kDeleteQuestion, kKindWarning) != Answer::Yes)
        return;
    const qint64 previous = row > 0 ? model->keyAt(row - 1) : kNoKey;
    RunCommand([&] {
        DeleteApplication(key);
        reopenAt(previous);
    });
}

void RegisterWindow::askCopy()
{
    QString month;
    if (PickOtherMonth("Adaugare cereri din luna", &month, this))
        copyFrom(month);
}

bool RegisterWindow::confirmTransfer(const QString& title, const QString& verb, const std::function<int()>& count,
                                     const QString& month)
{
    int n = 0;
    if (!RunCommand([&] { n = count(); }))
        return false;
    const QString text = "\r" + verb + " " + formatCount(n) + " cereri din luna " + month + "?";
    return n == 0 || MessageDialog::Mesaj(title, text, kDeleteQuestion, kKindWarning) == Answer::Yes;
}

void RegisterWindow::copyFrom(const QString& month)
{
    if (!confirmTransfer("Adaugare Cereri", "Adaugam", [&] { return CountCopyFromOtherMonth(month, WorkingMonthText()); },
                         month))
        return;
    CopyOutcome outcome;
    const bool done = RunCommand([&] {
        ProgressSink progress("Copii cererile...");
        model->close();
        outcome = CopyFromOtherMonth(month, WorkingMonthText(), &progress);
    });
    if (done && !outcome.duplicates.isEmpty()) {
        const QString text = "\r" + QString::number(outcome.duplicates.size()) + " CNP-uri exista deja in aceasta luna!\r"
            + "Doriti sa vedeti lista lor?";
        if (MessageDialog::Mesaj("Adaugare Cereri", text, kButtonsYesNo, kKindError) == Answer::Yes)
            RunCommand([&] { ShellOpen(WriteDuplicateList(WorkingMonthText(), outcome.duplicates)); });
        RunCommand([this] { reopenAt(kNoKey); });
        return;
    }
    RunCommand([this] { reopenAtLast(); });
}

void RegisterWindow::askPurge()
{
    QString month;
    if (PickOtherMonth("Sterge cereri din luna", &month, this))
        purgeAgainst(month);
}

void RegisterWindow::purgeAgainst(const QString& month)
{
    if (!confirmTransfer("Stergere Cereri", "Stergem", [&] { return CountPurgeAgainstMonth(month, WorkingMonthText()); },
                         month))
        return;
    RunCommand([&] {
        ProgressSink progress("Sterg cererile...");
        model->close();
        PurgeAgainstMonth(month, WorkingMonthText(), &progress);
    });
    RunCommand([this] { reopenAtLast(); });
}

void RegisterWindow::askApplicationDate()
{
    ApplicationDateDialog dialog(this);
    const qint64 key = currentKey();
    dialog.exec();
    RunCommand([&] { reopenAt(key); });
}

bool RegisterWindow::checkMonthChosen(const QString& title, const QString& text)
{
    if (WorkingMonthText().size() >= 7)
        return true;
    MessageDialog::Mesaj(title, text, kButtonOK, kKindError);
    return false;
}

void RegisterWindow::askAidMonths()
{
    if (!checkMonthChosen("Recalculare cereri", "Alegeti mai intai o luna de la butonul Perioada!"))
        return;
    AidMonthsDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        changeAidMonths(dialog.months());
}

void RegisterWindow::runCorrection(const std::function<void(WorkProgress*)>& work, const QString& title,
                                   const QString& text)
{
    const qint64 key = currentKey();
    const bool done = RunCommand([&] {
        ProgressSink progress("Recalculez cererile...");
        model->close();
        work(&progress);
    });
    RunCommand([&] { reopenAt(key); });
    if (done)
        MessageDialog::Mesaj(title, text, kButtonOK, kKindInformation);
}

void RegisterWindow::changeAidMonths(int months)
{
    runCorrection([&](WorkProgress* progress) { ChangeAidMonths(WorkingMonthText(), months, progress); },
                  "Modificare Numar luni", "\rRecalcularea s-a incheiat cu succes!");
}

void RegisterWindow::askSetAid()
{
    if (!checkMonthChosen("Pune/Sterge Ajutorul", "\rAlegeti mai intai o luna de la butonul Perioada!"))
        return;
    SetAidDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        setAid(dialog.withAid());
}

void RegisterWindow::setAid(bool withAid)
{
    runCorrection([&](WorkProgress* progress) { SetAid(WorkingMonthText(), withAid, AdminValues().brackets, progress); },
                  "Adaugare/Stergere ajutor", "\rModificarea s-a incheiat cu succes!");
}

workbook::GridData RegisterWindow::gridData() const
{
    workbook::GridData data;
    for (const RegisterModel::Column& c : RegisterModel::columns())
        data.titles << (QString::fromLatin1(c.band).isEmpty() ? QString::fromLatin1(c.title)
                                                              : QString::fromLatin1(c.band) + " " + c.title);
    for (int r = 0; r < model->rowCount(); ++r) {
        std::vector<workbook::GridValue> row;
        for (const RegisterModel::Column& c : RegisterModel::columns()) {
            const QString shown = model->data(model->index(r, int(row.size())), Qt::DisplayRole).toString();
            const std::string field = c.field;
            bool number = false;
            const double value = shown.toDouble(&number);
            if (shown.isEmpty())
                row.push_back({});
            else if (field == "DATACERE" || field == "DATADISP")
                row.push_back(workbook::GridValue::fromDate(QDate::fromString(shown, "dd.MM.yyyy")));
            else if (number && field != "CNP" && field != "NR_DISP" && field != "LUNADECLS")
                row.push_back(workbook::GridValue::fromNumber(value));
            else
                row.push_back(workbook::GridValue::fromText(shown));
        }
        data.rows.push_back(std::move(row));
    }
    return data;
}

void RegisterWindow::exportTable(const QString& path, bool toClipboard, int format)
{
    const workbook::GridData data = gridData();
    if (toClipboard)
        CopyGridToClipboard(data);
    else
        workbook::exportGrid(data, workbook::GridFormat(format), path);
}

void RegisterWindow::askExport()
{
    GridExportDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString path;
    if (!dialog.toClipboard()) {
        path = ChooseSaveFile(this, "Export Grila", dialog.fileFilter(), "Cereri" + workbook::gridFormatExtension(dialog.format()));
        if (path.isEmpty())
            return;
    }
    RunCommand([&] { exportTable(path, dialog.toClipboard(), int(dialog.format())); });
}
