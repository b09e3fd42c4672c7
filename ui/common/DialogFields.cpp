#include "ui/common/DialogFields.h"

#include "ui/common/DateInput.h"
#include "ui/common/TextInput.h"

#include <algorithm>

#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

QLineEdit* NewNumberField(QWidget* parent, const QString& objectName, qint64 value)
{
    auto* e = new QLineEdit(QString::number(value), parent);
    e->setObjectName(objectName);
    e->setMaxLength(10);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), e));
    return e;
}

QDateEdit* NewDateField(QWidget* parent, const QString& objectName, const QDate& value)
{
    auto* d = new DateInput(value, parent);
    d->setObjectName(objectName);
    return d;
}

QHBoxLayout* NewActionButtons(QDialog* dialog, const QString& caption, const QString& objectName,
                              const std::function<void()>& action)
{
    auto* run = new QPushButton(caption, dialog);
    run->setObjectName(objectName);
    run->setDefault(true);
    auto* cancel = new QPushButton("&Renunt", dialog);
    cancel->setObjectName("Cancel");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(run);
    buttons->addWidget(cancel);
    QObject::connect(run, &QPushButton::clicked, dialog, action);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    hestavo::EnterMovesToNextInput(dialog, hestavo::EnterOnLastInput::Acts);
    return buttons;
}

void KeepTitleWhole(QDialog* dialog)
{
    constexpr int kTitleBarExtras = 160;   // icon, margins, the close and help buttons
    QFont bold = dialog->font();
    bold.setBold(true);
    const int needed = QFontMetrics(bold).horizontalAdvance(dialog->windowTitle()) + kTitleBarExtras;
    dialog->setMinimumWidth(std::max(dialog->minimumWidth(), needed));
}
