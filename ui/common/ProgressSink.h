// The progress window as the progress sink of a long walk: shown with its
// caption at begin(), stepped by step(), hidden when the sink is destroyed.
#pragma once

#include "register/Recalculation.h"

#include <QString>

namespace hestavo {

class ProgressSink : public WorkProgress {
public:
    explicit ProgressSink(const QString& caption);
    ~ProgressSink() override;
    void begin(int maximum) override;
    void step() override;

private:
    QString m_caption;
};

} // namespace hestavo
