#include "applications/WorkingMonth.h"

#include "data/Settings.h"

#include <QLabel>
#include <QPointer>

namespace hestavo {

namespace {
QPointer<QLabel>& BoundLabel()
{
    static QPointer<QLabel> label;
    return label;
}
} // namespace

void BindWorkingMonthLabel(QLabel* label)
{
    BoundLabel() = label;
}

QString WorkingMonthText()
{
    if (QLabel* label = BoundLabel())
        return label->text();
    return ReadSetting("VARIABILE", "LUNA_LUCRU");
}

void SetWorkingMonth(const QString& month)
{
    WriteSetting("VARIABILE", "LUNA_LUCRU", month);
    if (QLabel* label = BoundLabel())
        label->setText(month);
}

} // namespace hestavo
