// A field for a whole non-negative number of at most ten digits, as the
// numbering and listing dialogs use for application and decision numbers.
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

QLineEdit* NewNumberField(QWidget* parent, const QString& objectName, qint64 value);
