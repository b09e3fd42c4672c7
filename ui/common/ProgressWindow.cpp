#include "ui/common/ProgressWindow.h"

#include "data/TestMode.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Contor"));
    setFixedSize(360, 74);
    setStyleSheet(QStringLiteral("#Contor { border: 1px solid #365F9C; background: #F4F6FA; }"));
    auto* layout = new QVBoxLayout(this);
    Descr = new QLabel(this);
    Descr->setObjectName(QStringLiteral("Descr"));
    Descr->setAlignment(Qt::AlignCenter);
    Bar = new QProgressBar(this);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setRange(0, 100);
    Bar->setValue(0);
    Bar->setTextVisible(true);
    Bar->setFormat(QStringLiteral("%p%"));
    layout->addWidget(Descr);
    layout->addWidget(Bar);
    setCursor(Qt::WaitCursor);
}

ProgressWindow& Contor()
{
    static ProgressWindow* contor = new ProgressWindow;
    return *contor;
}

void ShowProgress()
{
    ProgressWindow& c = Contor();
    c.Bar->setValue(0);
    if (testmode::active())
        testmode::recordProgress(c.Descr->text());
    if (c.isVisible())
        return;
    QWidget* active = QApplication::activeWindow();
    if (active && active != &c) {
        c.m_disabled = active;
        c.m_hadCursor = active->testAttribute(Qt::WA_SetCursor);
        c.m_cursor = active->cursor();
        active->setEnabled(false);
        active->setCursor(Qt::WaitCursor);
    }
    if (QScreen* screen = QGuiApplication::primaryScreen())
        c.move(screen->geometry().center() - c.rect().center());
    c.show();
    c.raise();
    QCoreApplication::processEvents();
}

void StepProgress()
{
    ProgressWindow& c = Contor();
    if (c.Bar->value() < c.Bar->maximum())
        c.Bar->setValue(c.Bar->value() + 1);
    QCoreApplication::processEvents();
}

void HideProgress()
{
    ProgressWindow& c = Contor();
    if (!c.isVisible())
        return;
    c.hide();
    if (QWidget* w = c.m_disabled.data()) {
        w->setEnabled(true);
        if (c.m_hadCursor)
            w->setCursor(c.m_cursor);
        else
            w->unsetCursor();
        if (w->isVisible()) {
            w->activateWindow();
            w->setFocus();
        }
    }
    c.m_disabled.clear();
}
