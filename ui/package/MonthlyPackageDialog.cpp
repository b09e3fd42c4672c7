#include "ui/package/MonthlyPackageDialog.h"

#include "data/Shell.h"
#include "documents/TreasuryReport.h"
#include "register/AdminValues.h"
#include "register/WorkingMonth.h"
#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressSink.h"
#include "ui/common/ProgressWindow.h"
#include "ui/register/MonthCheckWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace hestavo;

namespace {

const QString kTitle = QStringLiteral("Pachet lunar");
// The differences a message shows; VERIFICARE.txt and the command line list all.
constexpr int kShownDifferences = 12;

QString& PreviousFolder()
{
    static QString folder;
    return folder;
}

} // namespace

MonthlyPackageDialog::MonthlyPackageDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName("MonthlyPackageDialog");
    setWindowTitle(kTitle + " - " + WorkingMonthText());
    DataV = new QDateEdit(QDate::currentDate(), this);
    DataV->setObjectName("DataV");
    DataV->setDisplayFormat("dd.MM.yyyy");
    DataV->setCalendarPopup(true);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Data virarii", this), 0, 0);
    grid->addWidget(DataV, 0, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel("Ce includem in raportul pentru trezorerie?", this), 1, 0, 1, 2);
    QCheckBox* boxes[2];
    for (int i = 0; i < 2; ++i) {
        const TreasuryAccount& account = TreasuryAccounts()[i];
        boxes[i] = new QCheckBox(QString::fromLatin1(account.caption), this);
        boxes[i]->setObjectName(QStringLiteral("Cont") + account.code);
        boxes[i]->setChecked(true);
        grid->addWidget(boxes[i], 2 + i, 0, 1, 2);
    }
    Cont073 = boxes[0];
    Cont074 = boxes[1];
    grid->addWidget(new QLabel("Pachetul cuprinde anexele AJPIS, fisierul ANPIS, formularele F2201,\n"
                               "raportul pentru trezorerie cu statul de plata si anexele furnizorilor.",
                               this),
                    4, 0, 1, 2);
    auto* create = new QPushButton("Creaza Pachetul", this);
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
    connect(create, &QPushButton::clicked, this, &MonthlyPackageDialog::createPackage);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void MonthlyPackageDialog::createPackage()
{
    if (!Cont073->isChecked() && !Cont074->isChecked())
        return ShowProblemHint("Nu ati ales niciun cont!", Cont073);
    const QString start = QFileInfo(PreviousFolder()).isDir() ? PreviousFolder() : QString();
    const QString folder = ChooseFolder(this, "Unde punem Pachetul lunar?", start);
    if (folder.isEmpty())
        return;
    PreviousFolder() = folder;
    PackageRequest request{WorkingMonthText(), folder, DataV->date(), Cont073->isChecked(), Cont074->isChecked()};
    std::optional<PackageOutcome> outcome = run(request);
    if (outcome && outcome->blocked && outcome->differences.isEmpty()) {
        if (!continueDespiteFindings(*outcome))
            return;
        request.force = true;
        outcome = run(request);
    }
    if (outcome && outcome->blocked) {
        if (!continueDespiteDifferences(*outcome))
            return;
        request.force = request.forceDifferences = true;
        outcome = run(request);
    }
    if (outcome && !outcome->blocked)
        close(*outcome);
}

std::optional<PackageOutcome> MonthlyPackageDialog::run(const PackageRequest& request)
{
    // The chooser just closed; the progress window disables the active window.
    QApplication::setActiveWindow(this);
    try {
        ProgressSink progress(QStringLiteral("Verific luna..."));
        progress.begin(40);
        return MakeMonthlyPackage(request, AdminValues(), [&progress](const QString& step) {
            Contor().Descr->setText(step);
            progress.step();
        });
    } catch (const std::exception& e) {
        MessageDialog::Mesaj(kTitle, "\nPachetul nu a fost scris:\n" + QString::fromUtf8(e.what()).trimmed(), kButtonOK,
                             kKindError);
    }
    return std::nullopt;
}

bool MonthlyPackageDialog::continueDespiteFindings(const PackageOutcome& outcome)
{
    MonthCheckWindow::Execute(this);
    return MessageDialog::Mesaj(kTitle, ContinueDespiteFindingsText(outcome), kOverrideQuestion, kKindWarning)
           == Answer::Yes;
}

bool MonthlyPackageDialog::continueDespiteDifferences(const PackageOutcome& outcome)
{
    QStringList shown = outcome.differences.mid(0, kShownDifferences);
    if (outcome.differences.size() > kShownDifferences)
        shown << "... si inca " + QString::number(outcome.differences.size() - kShownDifferences);
    return MessageDialog::Mesaj(kTitle,
                                "\nFisierele scrise nu concorda (" + QString::number(outcome.differences.size())
                                    + " diferente):\n" + shown.join(u'\n') + "\nContinua oricum?",
                                kOverrideQuestion, kKindWarning)
           == Answer::Yes;
}

void MonthlyPackageDialog::close(const PackageOutcome& outcome)
{
    accept();
    if (MessageDialog::Mesaj(kTitle, PackageClosingText(outcome), kButtonsYesNo, kKindInformation) == Answer::Yes)
        ShellOpen(outcome.folder);
}

QString PackageClosingText(const PackageOutcome& outcome)
{
    QString text = "\nPachetul lunii " + WorkingMonthText() + " este gata:\n" + QDir::toNativeSeparators(outcome.folder)
                   + "\n(" + QString::number(outcome.files.size() + 1) + " fisiere) si arhiva "
                   + QFileInfo(outcome.zip).fileName() + " langa el.";
    if (!outcome.differences.isEmpty())
        text += "\nDiferentele gasite sunt in VERIFICARE.txt.";
    return text + "\n\nDeschide folderul?";
}

QString ContinueDespiteFindingsText(const PackageOutcome& outcome)
{
    return "\nVerificarea lunii a gasit " + QString::number(BlockingCount(outcome.findings))
           + " constatari blocante: agentiile pot respinge fisierele.\nContinua oricum?";
}

void ShowMonthlyPackage(QWidget* parent)
{
    MonthlyPackageDialog dialog(parent);
    dialog.exec();
}
