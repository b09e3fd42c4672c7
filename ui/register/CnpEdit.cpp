#include "ui/register/CnpEdit.h"

#include <QKeyEvent>

CnpEdit::CnpEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(13);
    // Pasting, dropping and input methods would bypass the key handling.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CnpEdit::erase(bool forward)
{
    if (hasSelectedText()) {
        del();
        return;
    }
    QString t = text();
    const int caret = cursorPosition();
    if (forward && caret < t.size()) {
        t.remove(caret, 1);
        setText(t);
        setCursorPosition(caret);
    } else if (!forward && caret > 0) {
        t.remove(caret - 1, 1);
        setText(t);
        setCursorPosition(caret - 1);
    }
}

void CnpEdit::typeDigit(QChar digit)
{
    if (hasSelectedText())
        del();
    QString t = text();
    int caret = cursorPosition();
    if (t == QLatin1String("0")) {
        t.clear();
        caret = 0;
    }
    if (t.size() >= maxLength() || (caret < t.size() && t.at(caret) == u'-')) {
        setText(t);
        setCursorPosition(caret);
        return;
    }
    t.insert(caret, digit);
    setText(t);
    setCursorPosition(caret + 1);
}

void CnpEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        erase(key == Qt::Key_Delete);
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && typed.at(0).isDigit() && typed.at(0).unicode() < 128
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        typeDigit(typed.at(0));
        return;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(event);   // caret keys keep working
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        event->ignore();                   // the dialog handles them
        return;
    default:
        if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll))
            QLineEdit::keyPressEvent(event);
        return;                            // every other key changes nothing
    }
}
