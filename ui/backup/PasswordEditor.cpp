#include "ui/backup/PasswordEditor.h"

#include "data/Months.h"
#include "ui/common/ProblemHint.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

PasswordEditor::PasswordEditor(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditPassF"));
    setWindowTitle(QStringLiteral("Schimbare parola"));
    auto* layout = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Parola noua"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(40);
    Memoreaza = new QPushButton(QStringLiteral("&Memoreaza"), this);
    Memoreaza->setObjectName(QStringLiteral("Memoreaza"));
    Memoreaza->setDefault(true);
    Renunt = new QPushButton(QStringLiteral("&Renunt"), this);
    Renunt->setObjectName(QStringLiteral("Renunt"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Memoreaza);
    buttons->addWidget(Renunt);
    layout->addWidget(label, 0, 0);
    layout->addWidget(Edit1, 1, 0);
    layout->addLayout(buttons, 2, 0);
    setMinimumWidth(300);
    // Typed letters become capitals, keeping the caret where it was.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& t) {
        const QString upper = t.toUpper();
        if (upper != t) {
            const int caret = Edit1->cursorPosition();
            Edit1->setText(upper);
            Edit1->setCursorPosition(caret);
        }
    });
    connect(Memoreaza, &QPushButton::clicked, this, &PasswordEditor::savePassword);
    connect(Renunt, &QPushButton::clicked, this, &QDialog::reject);
}

void PasswordEditor::savePassword()
{
    const QString cleaned = CleanText(Edit1->text());
    if (cleaned.isEmpty()) {
        ShowProblemHint(QStringLiteral("Nu ati scris nicio parola!"), Edit1);
        return;
    }
    m_password = cleaned;
    accept();
}

bool PasswordEditor::Execute(QString& password)
{
    Edit1->clear();
    Edit1->setFocus();
    m_password.clear();
    if (exec() != QDialog::Accepted)
        return false;
    password = m_password;
    return true;
}
