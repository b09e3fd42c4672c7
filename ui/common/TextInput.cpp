#include "ui/common/TextInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace hestavo {

namespace {

void ForceCase(QLineEdit* field, bool upper)
{
    QObject::connect(field, &QLineEdit::textEdited, field, [field, upper](const QString& t) {
        const QString changed = upper ? t.toUpper() : t.toLower();
        if (changed == t)
            return;
        const int caret = field->cursorPosition();
        field->setText(changed);
        field->setCursorPosition(caret);
    });
}

// A push button that clicks itself on Enter (auto-default, as the dialog's
// own buttons are). Any other button, a check box or a list given Enter would
// pass it to the dialog, whose default button would take it.
bool KeepsItsEnter(QWidget* widget)
{
    const auto* button = qobject_cast<QPushButton*>(widget);
    return button && button->autoDefault();
}

// The next widget the Tab key would reach inside the window, or null.
QWidget* NextInput(QWidget* widget)
{
    QWidget* window = widget->window();
    for (QWidget* w = widget->nextInFocusChain(); w && w != widget; w = w->nextInFocusChain()) {
        if (w->focusProxy() || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(window))
            continue;
        return window->isAncestorOf(w) ? w : nullptr;
    }
    return nullptr;
}

QPushButton* DefaultButton(QWidget* window)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->isDefault() && b->isEnabled() && b->isVisibleTo(window))
            return b;
    return nullptr;
}

class EnterAsTab : public QObject {
public:
    EnterAsTab(QWidget* dialog, EnterOnLastInput last) : QObject(dialog), m_last(last)
    {
        for (QWidget* child : dialog->findChildren<QWidget*>())
            if (child->focusPolicy() != Qt::NoFocus)
                child->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || KeepsItsEnter(widget))
            return false;
        if (m_last == EnterOnLastInput::Acts) {
            QWidget* next = NextInput(widget);
            QPushButton* action = DefaultButton(widget->window());
            if (action && (!next || qobject_cast<QPushButton*>(next))) {
                // Leaving the field first lets it take what was typed (a date).
                action->setFocus(Qt::TabFocusReason);
                action->click();
                return true;
            }
        }
        // The Tab goes to the window, which moves the focus on: a date field
        // given the Tab itself would only move between its day, month and year.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(widget->window(), &tab);
        return true;
    }

private:
    EnterOnLastInput m_last;
};

} // namespace

void ForceUpperCase(QLineEdit* field) { ForceCase(field, true); }
void ForceLowerCase(QLineEdit* field) { ForceCase(field, false); }

void NumberInput(QLineEdit* field, int digits)
{
    const QString pattern = "[0-9]{0," + QString::number(digits) + "}";
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
}

void MoneyInput(QLineEdit* field, int digits)
{
    const QString pattern = "[0-9]{0," + QString::number(digits) + "}([.,][0-9]{0,2})?";
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
}

void EnterMovesToNextInput(QWidget* dialog, EnterOnLastInput last) { new EnterAsTab(dialog, last); }

} // namespace hestavo
