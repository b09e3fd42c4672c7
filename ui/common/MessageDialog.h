// MessageDialog: the program's one modal message dialog (warnings, errors,
// information, confirmations) with a coloured title band, a wrapped message
// and up to four Romanian buttons. Mesaj() is the only entry; see TestMode.h
// for its scripted form in tests.
#pragma once

#include "data/MessageTypes.h"

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;

// Left edges of n buttons 73 pixels wide spread over the 342-pixel band: the
// gap is (342 - 73n) / (n + 1) rounded to the nearest integer, halves to the
// even neighbour; the k-th button (from 1) starts at k * (gap + 73) - 73.
QList<int> buttonLefts(int n);

class MessageDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog modally and returns the pressed button's result;
    // Escape returns 2; a call without buttons shows nothing and returns 2.
    static Answer Mesaj(const QString& title, const QString& text, int buttons, int kind);

    // The dialog as Mesaj would show it, not yet shown (for screenshots).
    MessageDialog(const QString& title, const QString& text, int buttons, int kind, QWidget* parent = nullptr);

    static QString kindCaption(int kind);
    QList<QPushButton*> visibleButtons() const { return m_buttons; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_kind;
    QList<QPushButton*> m_buttons;
};
