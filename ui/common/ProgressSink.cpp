#include "ui/common/ProgressSink.h"

#include "ui/common/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>

namespace hestavo {

ProgressSink::ProgressSink(const QString& caption) : m_caption(caption)
{
    Contor().Descr->setText(m_caption);
    Contor().Bar->setMaximum(1);
    ShowProgress();
}

ProgressSink::~ProgressSink() { HideProgress(); }

void ProgressSink::begin(int maximum) { Contor().Bar->setMaximum(maximum > 0 ? maximum : 1); }

void ProgressSink::step() { StepProgress(); }

} // namespace hestavo
