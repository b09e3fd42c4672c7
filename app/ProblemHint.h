// The balloon that points out a refused input: error icon, title "Problema !",
// the text, pointing 10 pixels right of and below the control's top-left
// corner, 300 pixels wide, gone by itself after 5 seconds. One at a time.
#pragma once

#include <QString>

class QWidget;

void ShowProblemHint(const QString& text, QWidget* control);
// The balloon now shown, if any (for tests and screenshots).
QWidget* currentProblemHint();
