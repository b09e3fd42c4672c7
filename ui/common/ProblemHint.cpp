#include "ui/common/ProblemHint.h"

#include "data/TestMode.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QGuiApplication>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {
// Closes the balloon when the window of the control it points at is hidden
// (the dialog closed), so that it does not float over whatever comes next.
class CloseWithWindow : public QObject {
public:
    CloseWithWindow(QWidget* balloon, QWidget* window) : QObject(balloon), m_balloon(balloon)
    {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, balloon, &QWidget::close);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Hide)
            m_balloon->close();
        return false;
    }

private:
    QWidget* m_balloon;
};

QPointer<QWidget>& balloon()
{
    static QPointer<QWidget> b;
    return b;
}
} // namespace

QWidget* currentProblemHint() { return balloon().data(); }

QPoint ProblemHintPlace(const QWidget* control, const QSize& size)
{
    constexpr int kGap = 4;
    const QRect field(control->mapToGlobal(QPoint(0, 0)), control->size());
    const QScreen* screen = control->screen() ? control->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(field.topLeft(), size * 4);
    // Along the side it sits on, the balloon slides to stay on the screen.
    auto clampX = [&](int x) { return std::clamp(x, room.left(), std::max(room.left(), room.right() + 1 - size.width())); };
    auto clampY = [&](int y) { return std::clamp(y, room.top(), std::max(room.top(), room.bottom() + 1 - size.height())); };
    const QPoint candidates[] = {
        {field.right() + 1 + kGap, clampY(field.top())},            // beside, on the right
        {clampX(field.left()), field.bottom() + 1 + kGap},          // below
        {field.left() - kGap - size.width(), clampY(field.top())},  // beside, on the left
        {clampX(field.left()), field.top() - kGap - size.height()}, // above
    };
    for (const QPoint& p : candidates)
        if (room.contains(QRect(p, size)))
            return p;
    // No side has room (a screen smaller than the balloon): keep it on the
    // screen, below the field where possible.
    return {clampX(field.left()), clampY(field.bottom() + 1 + kGap)};
}

void ShowProblemHint(const QString& text, QWidget* control)
{
    if (testmode::active())
        testmode::record(testmode::Hint{text, control ? control->objectName() : QString()});
    if (QWidget* old = balloon().data())
        old->deleteLater();

    auto* b = new QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    b->setObjectName(QStringLiteral("ProblemHint"));
    b->setAttribute(Qt::WA_DeleteOnClose);
    b->setStyleSheet(QStringLiteral("#ProblemHint { background: #FFFFE1; border: 1px solid #767676; }"));
    auto* grid = new QGridLayout(b);
    auto* icon = new QLabel(b);
    icon->setPixmap(b->style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(16, 16));
    auto* title = new QLabel(QStringLiteral("Problema !"), b);
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    auto* body = new QLabel(shown, b);
    body->setObjectName(QStringLiteral("Text"));
    body->setWordWrap(true);
    grid->setColumnStretch(1, 1);
    grid->addWidget(icon, 0, 0);
    grid->addWidget(title, 0, 1);
    grid->addWidget(body, 1, 0, 1, 2);
    b->setFixedWidth(300);
    b->adjustSize();
    if (control) {
        b->move(ProblemHintPlace(control, b->size()));
        new CloseWithWindow(b, control->window());
    }
    b->show();
    balloon() = b;
    QTimer::singleShot(5000, b, &QWidget::close);
}
