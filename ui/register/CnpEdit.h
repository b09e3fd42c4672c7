// The CNP input control: at most 13 characters, changed by the user only
// through its own key handling (digits, Backspace, Delete; caret keys move),
// with the code's validity, birth date and sex read from the current text.
#pragma once

#include "register/Cnp.h"

#include <QLineEdit>

class CnpEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CnpEdit(QWidget* parent = nullptr);

    bool acceptEmpty() const { return m_acceptEmpty; }
    void setAcceptEmpty(bool on) { m_acceptEmpty = on; }

    bool isValid() const { return hestavo::Cnp::isValid(text(), m_acceptEmpty); }
    QDate birthDate() const { return hestavo::Cnp::birthDate(text()); }
    QString sex() const { return hestavo::Cnp::sex(text()); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void typeDigit(QChar digit);
    void erase(bool forward);
    bool m_acceptEmpty = false;
};
