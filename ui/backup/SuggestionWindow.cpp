#include "ui/backup/SuggestionWindow.h"

#include "backup/Suggestion.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

QLineEdit* field(QWidget* parent, const QString& name, int limit)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMaxLength(limit);
    return e;
}

} // namespace

SuggestionWindow::SuggestionWindow(QWidget* parent) : QDialog(parent), url(SuggestionUrl())
{
    setObjectName(QStringLiteral("Sugestii"));
    setWindowTitle(QStringLiteral("Trimitere sugestie"));
    auto* form = new QFormLayout(this);
    name = field(this, QStringLiteral("Name"), 60);
    place = field(this, QStringLiteral("Place"), 60);
    phone = field(this, QStringLiteral("Phone"), 10);
    email = field(this, QStringLiteral("Email"), 60);
    text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("Text"));
    auto* phoneRow = new QHBoxLayout;
    phoneRow->addWidget(phone);
    phoneRow->addWidget(new QLabel(QStringLiteral("ex: 0744123456"), this));
    form->addRow(QStringLiteral("Numele dvs."), name);
    form->addRow(QStringLiteral("Localitate / Judet"), place);
    form->addRow(QStringLiteral("Telefon"), phoneRow);
    form->addRow(QStringLiteral("Email"), email);
    form->addRow(QStringLiteral("Sugestia dvs."), text);
    sendButton = new QPushButton(QStringLiteral("&Trimite sugestia"), this);
    sendButton->setObjectName(QStringLiteral("Send"));
    auto* cancel = new QPushButton(QStringLiteral("&Renunt"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sendButton);
    buttons->addWidget(cancel);
    form->addRow(buttons);
    connect(sendButton, &QPushButton::clicked, this, &SuggestionWindow::send);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit* e : {name, place, phone, email})
        e->installEventFilter(this);
    resize(520, 380);
}

bool SuggestionWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in an edit moves to the next field.
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SuggestionWindow::prepare()
{
    m_attempted = m_sent = false;
    phone->setText(ReadMachineSetting(QStringLiteral("Telefon_fax")));
    email->setText(ReadMachineSetting(QStringLiteral("Mail")));
    name->setText(ReadMachineSetting(QStringLiteral("SugestieNume")));
    place->setText(ReadMachineSetting(QStringLiteral("SugestieComuna")));
    if (place->text().trimmed().isEmpty()) {
        const QString town = ReadSetting(QStringLiteral("SETARI"), QStringLiteral("PRIMARIA"));
        place->setText(town + " / " + town + " / " + ReadSetting(QStringLiteral("SETARI"), QStringLiteral("JUDET")));
    }
}

bool SuggestionWindow::report()
{
    if (!m_attempted)
        return false;
    if (!m_sent) {
        MessageDialog::Mesaj(QStringLiteral("Transmitere Sugestie"),
                             QStringLiteral("Mesajul nu poate fi transmis!\rVerificati daca aveti internet sau daca nu "
                                            "ati restrictionat accesul la internet al programului!"),
                             kButtonOK, kKindError);
        return false;
    }
    WriteMachineSetting(QStringLiteral("SugestieNume"), name->text());
    WriteMachineSetting(QStringLiteral("Telefon_fax"), phone->text());
    WriteMachineSetting(QStringLiteral("Mail"), email->text());
    WriteMachineSetting(QStringLiteral("SugestieComuna"), place->text());
    text->clear();
    MessageDialog::Mesaj(QStringLiteral("Transmitere Sugestie"),
                         QStringLiteral("Mesajul a fost transmis!\rRaspunsul il veti primi in curand in emailul dvs. "
                                        "sau la telefon.\rVa multumim!"),
                         kButtonOK, kKindInformation);
    return true;
}

bool SuggestionWindow::Execute(QWidget* parent)
{
    SuggestionWindow window(parent);
    window.prepare();
    window.exec();
    return window.report();
}

void SuggestionWindow::send()
{
    name->setText(CleanText(name->text()));
    phone->setText(CleanText(phone->text()));
    const Suggestion suggestion{name->text(), place->text(), phone->text(), email->text(),
                                text->toPlainText().split(u'\n')};
    const SuggestionProblem problem = CheckSuggestion(suggestion);
    if (problem.field != SuggestionProblem::None) {
        QWidget* const fields[] = {nullptr, name, phone, email, text};
        ShowProblemHint(problem.message, fields[problem.field]);
        return;
    }
    Contor().Descr->setText(QStringLiteral("Transmit mesajul..."));
    Contor().Bar->setMaximum(2);
    ShowProgress();
    Contor().Bar->setValue(1);
    m_sent = SendSuggestion(suggestion, url, paths().programFolder + "/rezultat.txt");
    m_attempted = true;
    Contor().Bar->setValue(2);
    HideProgress();
    accept();
}
