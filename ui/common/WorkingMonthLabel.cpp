#include "ui/common/WorkingMonthLabel.h"

#include "data/Settings.h"
#include "register/WorkingMonth.h"

#include <QLabel>
#include <QPointer>

namespace hestavo {

void BindWorkingMonthLabel(QLabel* label)
{
    if (!label) {
        BindWorkingMonthDisplay({});
        return;
    }
    const QPointer<QLabel> bound(label);
    BindWorkingMonthDisplay({[bound] { return bound ? bound->text() : ReadSetting("VARIABILE", "LUNA_LUCRU"); },
                             [bound](const QString& month) {
                                 if (bound)
                                     bound->setText(month);
                             }});
}

} // namespace hestavo
