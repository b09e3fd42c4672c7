#include "ui/register/MonthCheckWindow.h"

#include "data/Months.h"
#include "register/AdminSettings.h"
#include "register/WorkingMonth.h"
#include "ui/common/Choosers.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"
#include "ui/register/ApplicationEditor.h"
#include "workbook/export/GridExport.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace hestavo;

namespace {

// A cell that sorts numbers as numbers.
QTableWidgetItem* Cell(const workbook::GridValue& value)
{
    auto* item = new QTableWidgetItem;
    if (value.kind == workbook::GridValue::Kind::Number)
        item->setData(Qt::DisplayRole, value.number);
    else
        item->setText(value.text);
    return item;
}

} // namespace

MonthCheckWindow::MonthCheckWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName("MonthCheckWindow");
    setWindowTitle("Verificare inainte de raportare - luna " + WorkingMonthText());
    grid = new QTableWidget(this);
    grid->setObjectName("Findings");
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    summary = new QLabel(this);
    summary->setObjectName("Summary");
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    exportButton = new QPushButton("&Exporta", this);
    exportButton->setObjectName("Export");
    exportButton->setAutoDefault(false);
    closeButton = new QPushButton("&Inchide", this);
    closeButton->setObjectName("Close");
    closeButton->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary, 1);
    buttons->addWidget(exportButton, 0, Qt::AlignBottom);
    buttons->addWidget(closeButton, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid, 1);
    layout->addLayout(buttons);

    grid->installEventFilter(this);
    ConnectCommand(grid, &QTableWidget::cellDoubleClicked, this, [this] { openCurrent(); });
    ConnectCommand(exportButton, &QPushButton::clicked, this, [this] { exportList(); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    resize(1100, 600);
}

bool MonthCheckWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RunCommand([this] { openCurrent(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MonthCheckWindow::Execute(QWidget* parent)
{
    MonthCheckWindow window(parent);
    if (RunCommand([&] { window.refresh(); }))
        window.exec();
}

void MonthCheckWindow::refresh()
{
    m_findings = CheckMonth(MonthToSerial(WorkingMonthText()), LoadAdminSettings().brackets);
    fillGrid();
    summary->setText(FindingsSummary(m_findings).join(QLatin1Char('\n')));
}

void MonthCheckWindow::fillGrid()
{
    const workbook::GridData data = FindingsGrid(m_findings);
    grid->setSortingEnabled(false);
    grid->clear();
    grid->setColumnCount(int(data.titles.size()));
    grid->setHorizontalHeaderLabels(data.titles);
    grid->setRowCount(int(data.rows.size()));
    for (int r = 0; r < int(data.rows.size()); ++r)
        for (int c = 0; c < int(data.rows[size_t(r)].size()); ++c)
            grid->setItem(r, c, Cell(data.rows[size_t(r)][size_t(c)]));
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setSortingEnabled(true);
    if (grid->rowCount() > 0)
        grid->setCurrentCell(0, 0);
}

void MonthCheckWindow::openCurrent()
{
    const int row = grid->currentRow();
    if (row < 0)
        return;
    const qint64 key = grid->item(row, 2)->data(Qt::DisplayRole).toLongLong();
    ModifyThroughEditor(key);
    refresh();
}

void MonthCheckWindow::exportList()
{
    const QString path = ChooseSaveFile(this, "Exporta verificarea", "Excel (*.xls)",
                                        "Verificare_" + QString(WorkingMonthText()).replace('.', '_') + ".xls");
    if (path.isEmpty())
        return;
    workbook::exportGrid(FindingsGrid(m_findings), workbook::GridFormat::Excel, path);
    MessageDialog::Mesaj("Verificare inainte de raportare", "\rAm scris lista in\r" + QDir::toNativeSeparators(path),
                         kButtonOK, kKindInformation);
}
