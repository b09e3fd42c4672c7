#include "ui/reports/SupplierChoiceDialog.h"

#include "reports/SupplierReports.h"
#include "ui/common/DialogFields.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/TextInput.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace hestavo;

SupplierChoiceDialog::SupplierChoiceDialog(Variant variant, const QString& workingMonth, QWidget* parent)
    : QDialog(parent), m_variant(variant), m_month(workingMonth)
{
    const bool eon = variant == Variant::Eon;
    setWindowTitle(eon ? QStringLiteral("Raport E-ON Gaz Targu Mures") : QStringLiteral("Raport CEZ - Suplimente Electrica"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(eon ? QStringLiteral("Ce denumire ati dat pentru E-ON Gaz Targu Mures ?")
                                     : QStringLiteral("Ce denumire ati dat pentru firma CEZ ?"),
                                 this));
    FurnE = new QComboBox(this);
    FurnE->setObjectName(QStringLiteral("FurnE"));
    FurnE->setMinimumWidth(360);
    FurnE->setPlaceholderText(QStringLiteral("(alegeti furnizorul)"));
    layout->addWidget(FurnE);
    layout->addWidget(new QLabel(QStringLiteral("( Daca ati dat mai multe denumiri, corectati in Cereri! )"), this));
    if (!eon) {
        layout->addWidget(new QLabel(QStringLiteral("Cod SIRUTA"), this));
        Siruta = new QLineEdit(this);
        Siruta->setObjectName(QStringLiteral("Siruta"));
        Siruta->setMaxLength(12);
        NumberInput(Siruta, 12);
        layout->addWidget(Siruta);
    }
    layout->addLayout(NewActionButtons(this, QStringLiteral("&Am ales"), QStringLiteral("Ales"), [this] { choose(); }));
    ChooseButton = findChild<QPushButton*>(QStringLiteral("Ales"));
    // Enter walks the list and the code field (made before the buttons); the
    // grid, made after them, keeps Enter for its edits.
    if (eon) {
        layout->insertWidget(3, new QLabel(QStringLiteral("Coduri postale"), this));
        Grid = new QTableWidget(0, 2, this);
        Grid->setObjectName(QStringLiteral("Grid"));
        Grid->setHorizontalHeaderLabels({QStringLiteral("Localitatea"), QStringLiteral("Cod postal")});
        Grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
        Grid->verticalHeader()->setVisible(false);
        Grid->setMinimumHeight(220);
        layout->insertWidget(4, Grid);
    }
}

void SupplierChoiceDialog::load()
{
    // The same names hestavo-cli accepts: gas and electricity may name the
    // same supplier, which is offered once.
    FurnE->clear();
    FurnE->addItems(SupplierNames(m_variant == Variant::Eon ? EonSupplierSources(m_month) : CezSupplierSources(m_month)));
    FurnE->setCurrentIndex(m_variant == Variant::Eon || FurnE->count() == 0 ? -1 : 0);
    if (Siruta)
        Siruta->setText(StoredSiruta());
    if (!Grid)
        return;
    const QList<QPair<QString, QString>> codes = PostalCodes(m_month);
    Grid->setRowCount(int(codes.size()));
    for (int r = 0; r < codes.size(); ++r) {
        auto* locality = new QTableWidgetItem(codes[r].first);
        locality->setFlags(locality->flags() & ~Qt::ItemIsEditable);
        Grid->setItem(r, 0, locality);
        Grid->setItem(r, 1, new QTableWidgetItem(codes[r].second));
    }
}

bool SupplierChoiceDialog::Open()
{
    load();
    return exec() == QDialog::Accepted;
}

QString SupplierChoiceDialog::supplier() const
{
    return FurnE->currentIndex() < 0 ? QString() : FurnE->currentText();
}

QString SupplierChoiceDialog::siruta() const
{
    return Siruta ? Siruta->text().trimmed() : QString();
}

QList<QPair<QString, QString>> SupplierChoiceDialog::postalCodes() const
{
    QList<QPair<QString, QString>> codes;
    for (int r = 0; Grid && r < Grid->rowCount(); ++r)
        codes.append({Grid->item(r, 0)->text(), Grid->item(r, 1) ? Grid->item(r, 1)->text().trimmed().left(10) : QString()});
    return codes;
}

void SupplierChoiceDialog::commitPendingEdit()
{
    const QModelIndex at = Grid->currentIndex();
    if (QWidget* editor = at.isValid() ? Grid->indexWidget(at) : nullptr)
        Grid->itemDelegate()->setModelData(editor, Grid->model(), at);
}

void SupplierChoiceDialog::choose()
{
    if (supplier().isEmpty()) {
        ShowProblemHint(m_variant == Variant::Eon ? QStringLiteral("Nu ati ales nimic!")
                                                  : QStringLiteral("Nu ati ales denumirea CEZ-ului!"),
                        FurnE);
        return;
    }
    if (Siruta) {
        const QString problem = SirutaProblem(siruta());
        if (!problem.isEmpty())
            return ShowProblemHint(problem, Siruta);
        StoreSiruta(siruta());
    }
    if (Grid) {
        commitPendingEdit();
        const QList<QPair<QString, QString>> codes = postalCodes();
        for (int r = 0; r < codes.size(); ++r)
            if (codes[r].second.isEmpty()) {
                Grid->setCurrentCell(r, 1);
                return ShowProblemHint(QStringLiteral("Nu ati scris Codul postal!"), Grid);
            }
        StorePostalCodes(codes);
    }
    accept();
}
