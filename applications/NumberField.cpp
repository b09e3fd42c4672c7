#include "applications/NumberField.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

QLineEdit* NewNumberField(QWidget* parent, const QString& objectName, qint64 value)
{
    auto* e = new QLineEdit(QString::number(value), parent);
    e->setObjectName(objectName);
    e->setMaxLength(10);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), e));
    return e;
}
