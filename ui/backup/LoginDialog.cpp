#include "ui/backup/LoginDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LoginDialog::LoginDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Autentificare"));
    auto* layout = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Introduceti parola"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setEchoMode(QLineEdit::Password);
    Edit1->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    Verifica = new QPushButton(QStringLiteral("&Verifica"), this);
    Verifica->setObjectName(QStringLiteral("Verifica"));
    Verifica->setDefault(true);
    Inchide = new QPushButton(QStringLiteral("&Inchide"), this);
    Inchide->setObjectName(QStringLiteral("Inchide"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Verifica);
    buttons->addWidget(Inchide);
    layout->addWidget(label, 0, 0);
    layout->addWidget(Edit1, 1, 0);
    layout->addLayout(buttons, 2, 0);
    setMinimumWidth(280);
    connect(Verifica, &QPushButton::clicked, this, &QDialog::accept);
    connect(Edit1, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(Inchide, &QPushButton::clicked, this, &QDialog::reject);
}

bool LoginDialog::InputQuery2(QString& text)
{
    Edit1->clear();
    Edit1->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    text = Edit1->text();
    return true;
}
