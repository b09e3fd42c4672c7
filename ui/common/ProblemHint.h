// The balloon that points out a refused input: error icon, title "Problema !",
// the text, 300 pixels wide, placed beside the control (or below it, where the
// screen has no room on the right) so that the field stays visible, gone by
// itself after 5 seconds. One at a time.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

class QWidget;

void ShowProblemHint(const QString& text, QWidget* control);
// The balloon now shown, if any (for tests and screenshots).
QWidget* currentProblemHint();
// Where a balloon of this size goes for the control, in global coordinates:
// right of it, else below, else left, else above, whichever first lies wholly
// on the control's screen; never over the control when any side has room.
QPoint ProblemHintPlace(const QWidget* control, const QSize& size);
