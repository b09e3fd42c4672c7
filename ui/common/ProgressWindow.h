// ProgressWindow: the small progress window of long operations (a text line above a
// percentage bar). While shown it disables the window that was active, which
// gets the hourglass cursor. One per run; callers set Descr's text and Bar's
// maximum directly, then use ShowProgress / StepProgress / HideProgress.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

class ProgressWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);
    QLabel* Descr;
    QProgressBar* Bar;

private:
    friend void ShowProgress();
    friend void HideProgress();
    QPointer<QWidget> m_disabled;
    bool m_hadCursor = false;
    QCursor m_cursor;
};

ProgressWindow& Contor();

// Position 0; when not yet visible, disables the active window, gives it the
// hourglass cursor and shows the progress window.
void ShowProgress();
// Position + 1 while below the maximum; repaints pending windows.
void StepProgress();
// When visible: hides the window, enables and focuses the disabled one again.
void HideProgress();
