#include "ui/main/AuditLogWindow.h"

#include "ui/common/BandedHeader.h"

#include "data/Db.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

AuditLogWindow::AuditLogWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LogView"));
    setWindowTitle(QStringLiteral("Istoric modificari date"));
    resize(760, 480);
    auto* layout = new QVBoxLayout(this);
    auto* header = new QLabel(QStringLiteral("Ultimele actiuni facute in program"), this);
    QFont f = header->font();
    f.setBold(true);
    header->setFont(f);
    Grid = new QTableWidget(0, 4, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->verticalHeader()->hide();
    // The first two columns sit under one band "Data si ora".
    Grid->setHorizontalHeader(new BandedHeader(0, 1, QStringLiteral("Data si ora"), Grid));
    Grid->setHorizontalHeaderLabels({QStringLiteral("Data"), QStringLiteral("Ora"), QStringLiteral("Actiunea"),
                                     QStringLiteral("Operator")});
    Grid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    Grid->setColumnWidth(0, 90);
    Grid->setColumnWidth(1, 80);
    Grid->setColumnWidth(3, 140);
    Inchide = new QPushButton(QStringLiteral("&Inchide"), this);
    Inchide->setObjectName(QStringLiteral("Inchide"));
    connect(Inchide, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(header);
    layout->addWidget(Grid);
    layout->addWidget(Inchide, 0, Qt::AlignRight);
}

void AuditLogWindow::Load()
{
    Grid->setRowCount(0);
    auto rs = Db().open(sqlLines({QStringLiteral("SELECT *"), "FROM " + quotedTable(QStringLiteral("Log.dbf")),
                                  QStringLiteral("ORDER BY IDLOG")}));
    int row = 0;
    Grid->setRowCount(rs->recordCount());
    for (rs->first(); !rs->eof(); rs->next(), ++row) {
        const char* columns[] = {"DATAL", "ORA", "ACTIUNE", "UTILIZATOR"};
        for (int c = 0; c < 4; ++c)
            Grid->setItem(row, c, new QTableWidgetItem(QString::fromStdString(rs->text(columns[c]))));
    }
    Grid->setRowCount(row);
    if (row > 0) {
        Grid->setCurrentCell(row - 1, 0);
        Grid->scrollToBottom();
    }
}

void AuditLogWindow::Execute()
{
    Load();
    exec();
}
