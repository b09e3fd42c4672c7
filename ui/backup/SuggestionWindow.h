// SuggestionWindow: "Trimitere sugestie", where the user writes a suggestion or
// a question for the publisher and leaves a name, place, telephone and e-mail.
#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class SuggestionWindow : public QDialog {
    Q_OBJECT
public:
    explicit SuggestionWindow(QWidget* parent = nullptr);

    // The window entry: fills the fields from the machine settings, shows the
    // window and reports the outcome of a send. True when a suggestion went.
    static bool Execute(QWidget* parent = nullptr);
    // The entry's steps before and after the modal showing.
    void prepare();
    bool report();

    // "&Trimite sugestia": the checks (a balloon at the first failing field),
    // then the send; the window closes after an attempt.
    void send();

    // Where the suggestion goes; SuggestionUrl() unless a test sets another.
    QString url;

    QLineEdit* name;
    QLineEdit* place;
    QLineEdit* phone;
    QLineEdit* email;
    QPlainTextEdit* text;
    QPushButton* sendButton;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_attempted = false;
    bool m_sent = false;
};
