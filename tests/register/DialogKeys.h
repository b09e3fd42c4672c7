// A key pressed on the real modal dialog that a command opens (test mode
// off): the key goes to the control that has the focus as the dialog opens,
// as the clerk's key would.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QString>
#include <QTest>
#include <QTimer>
#include <QWidget>

// Presses `key` on the next modal dialog; its "Titlu" label (or window title)
// goes to *title, the focused control's objectName to *focused.
inline void PressOnNextDialog(Qt::Key key, QString* title, QString* focused = nullptr)
{
    QTimer::singleShot(0, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        const auto* caption = dialog->findChild<QLabel*>(QStringLiteral("Titlu"));
        *title = caption ? caption->text() : dialog->windowTitle();
        QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
        if (focused)
            *focused = target->objectName();
        QTest::keyClick(target, key);
    });
}
