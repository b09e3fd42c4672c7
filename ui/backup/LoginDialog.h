// LoginDialog: the login prompt that asks for the administrator password.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class LoginDialog : public QDialog {
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);
    // Empties the edit and shows the prompt modally; true with the typed text
    // only when "&Verifica" (or Enter in the edit) closed it.
    bool InputQuery2(QString& text);

    QLineEdit* Edit1;
    QPushButton* Verifica;
    QPushButton* Inchide;
};
