#include "ui/reports/AnnexAdderDialog.h"

#include "data/Shell.h"
#include "reports/AnnexAdder.h"
#include "reports/ExportError.h"
#include "ui/common/Choosers.h"
#include "ui/common/CommandGuard.h"
#include "ui/common/MessageDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace hestavo;

AnnexAdderDialog::AnnexAdderDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Adunare Anexe"));
    Label = new QLabel(this);
    QFont big = Label->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    Label->setFont(big);
    List = new QPlainTextEdit(this);
    List->setReadOnly(true);
    List->setMinimumSize(560, 200);
    AddButton = new QPushButton(QStringLiteral("Adauga Anexa"), this);
    ClearButton = new QPushButton(QStringLiteral("Goleste Lista"), this);
    SumButton = new QPushButton(QStringLiteral("Aduna Anexele"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label);
    layout->addWidget(new QLabel(QStringLiteral("Adunam mai multe Anexe in una singura"), this));
    layout->addWidget(new QLabel(QStringLiteral("Lista Anexelor de adunat"), this));
    layout->addWidget(List);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {AddButton, ClearButton, SumButton})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    connect(AddButton, &QPushButton::clicked, this, [this] {
        const QString path = ChooseOpenFile(this, QStringLiteral("Alege o Anexa"), QStringLiteral("Anexa Excel (*.xls)"),
                                            QString());
        if (!path.isEmpty())
            addFile(path);
    });
    connect(ClearButton, &QPushButton::clicked, this, &AnnexAdderDialog::clearList);
    connect(SumButton, &QPushButton::clicked, this, &AnnexAdderDialog::addUp);
}

void AnnexAdderDialog::Open(int kind)
{
    m_kind = kind;
    Label->setText("ANEXA " + QString::number(kind));
    clearList();
    exec();
}

void AnnexAdderDialog::addFile(const QString& path)
{
    try {
        CheckAnnexToAdd(m_kind, path, m_files);
    } catch (const ExportError& e) {
        MessageDialog::Mesaj(e.heading(), e.message(), kButtonOK, kKindError);
        return;
    }
    m_files << path;
    List->setPlainText(m_files.join(QLatin1Char('\n')));
    SumButton->setEnabled(m_files.size() >= 2);
}

void AnnexAdderDialog::clearList()
{
    m_files.clear();
    List->clear();
    setBusy(false);
    SumButton->setEnabled(false);
}

void AnnexAdderDialog::addUp()
{
    if (m_files.size() < 2)
        return;
    const bool lists = m_kind == 15 || m_kind == 16;
    const bool duplicates = lists
                            && MessageDialog::Mesaj("Verificare CNP", "\nDoriti sa verificam CNP-urile dublate?",
                                                    kButtonsYesNo, kKindConfirmation)
                                   == Answer::Yes;
    setBusy(true);
    RunCommand([&] {
        try {
            ShellOpen(AddAnnexes(m_kind, m_files, duplicates));
        } catch (const ExportError& e) {
            MessageDialog::Mesaj(e.heading(), e.message(), kButtonOK, kKindError);
        }
    });
    setBusy(false);
}

void AnnexAdderDialog::setBusy(bool busy)
{
    for (QWidget* w : std::initializer_list<QWidget*>{List, AddButton, ClearButton})
        w->setEnabled(!busy);
    SumButton->setEnabled(!busy && m_files.size() >= 2);
}
