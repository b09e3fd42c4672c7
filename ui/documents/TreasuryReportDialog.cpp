#include "ui/documents/TreasuryReportDialog.h"

#include "data/Shell.h"
#include "documents/OutputError.h"
#include "documents/TreasuryReport.h"
#include "ui/common/Choosers.h"
#include "ui/common/DialogFields.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressWindow.h"
#include "ui/common/TextInput.h"
#include "ui/documents/PaymentListDialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Raport Trezorerie");

// The folder chosen last in this run.
QString& PreviousFolder()
{
    static QString folder;
    return folder;
}

} // namespace

TreasuryReportDialog::TreasuryReportDialog(int monthSerial, QWidget* parent) : QDialog(parent), m_month(monthSerial)
{
    setObjectName("TreasuryReportDialog");
    setWindowTitle("Raport trezorerie");
    DataV = NewDateField(this, "DataV", QDate::currentDate());
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Data virarii", this), 0, 0);
    grid->addWidget(DataV, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel("Ce includem in raport?", this), 1, 0, 1, 2);
    QCheckBox* boxes[2];
    for (int i = 0; i < 2; ++i) {
        const TreasuryAccount& account = TreasuryAccounts()[i];
        boxes[i] = new QCheckBox(QString::fromLatin1(account.caption), this);
        boxes[i]->setObjectName(QStringLiteral("Cont") + account.code);
        boxes[i]->setChecked(true);
        grid->addWidget(boxes[i], 2 + 2 * i, 0, 1, 2);
        auto* legal = new QLabel(QString::fromLatin1(account.legal), this);
        legal->setIndent(24);
        grid->addWidget(legal, 3 + 2 * i, 0, 1, 2);
    }
    Cont073 = boxes[0];
    Cont074 = boxes[1];
    auto* create = new QPushButton("Creaza Raport", this);
    create->setObjectName("Create");
    create->setDefault(true);
    auto* cancel = new QPushButton("Renunt", this);
    cancel->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(create);
    buttons->addWidget(cancel);
    auto* top = new QVBoxLayout(this);
    top->addLayout(grid);
    top->addLayout(buttons);
    connect(create, &QPushButton::clicked, this, &TreasuryReportDialog::createReport);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    hestavo::EnterMovesToNextInput(this, hestavo::EnterOnLastInput::Acts);
}

void TreasuryReportDialog::createReport()
{
    if (!Cont073->isChecked() && !Cont074->isChecked())
        return ShowProblemHint("Nu ati ales niciun cont!", Cont073);
    std::optional<PaymentSelection> selection = PaymentListDialog::instance().Ask(m_month, false);
    if (!selection)
        return;
    const QString start = QFileInfo(PreviousFolder()).isDir() ? PreviousFolder() : QString();
    const QString parent = ChooseFolder(this, "Unde punem Raportarea?", start);
    if (parent.isEmpty())
        return;
    PreviousFolder() = parent;
    const QString folder = QDir::toNativeSeparators(TreasuryFolder(parent));
    if (QFileInfo::exists(folder)
        && MessageDialog::Mesaj(kTitle, "\rDirectorul " + folder + " exista!\rIl inlocuim?", kOverrideQuestion, kKindWarning)
               != Answer::Yes)
        return;
    TreasuryChoice choice{DataV->date(), Cont073->isChecked(), Cont074->isChecked(), *selection};
    Contor().Descr->setText("Creez DBF-ul...");
    ShowProgress();
    try {
        const TreasuryResult result = MakeTreasuryReport(m_month, choice, parent);
        HideProgress();
        accept();
        ShellOpen(result.folder);
    } catch (const OutputError& e) {
        HideProgress();
        MessageDialog::Mesaj(e.title(), e.message(), kButtonOK, kKindError);
    } catch (const std::exception& e) {
        HideProgress();
        MessageDialog::Mesaj("Eroare", QString::fromUtf8(e.what()), kButtonOK, kKindError);
    }
}

void ShowTreasuryReport(int monthSerial, QWidget* parent)
{
    TreasuryReportDialog dialog(monthSerial, parent);
    dialog.exec();
}
