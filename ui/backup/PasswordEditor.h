// PasswordEditor: the small editor of the remote backup account's password.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class PasswordEditor : public QDialog {
    Q_OBJECT
public:
    explicit PasswordEditor(QWidget* parent = nullptr);
    // Shows an empty edit; true with the cleaned new password when
    // "&Memoreaza" accepted it, false for "&Renunt" or Escape.
    bool Execute(QString& password);
    // What "&Memoreaza" does: an input empty after cleaning shows the balloon
    // "Nu ati scris nicio parola!" at the edit and keeps the editor open.
    void savePassword();

    QLineEdit* Edit1;
    QPushButton* Memoreaza;
    QPushButton* Renunt;
private:
    QString m_password;
};
