// The program's QApplication: an error raised while an event is handled (an
// engine or file failure in a button's work) is shown in the message dialog
// instead of ending the program, and the operation stops there.
#pragma once

#include <QApplication>

class HestavoApplication : public QApplication {
    Q_OBJECT
public:
    HestavoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error raised by an operation: title "Eroare", the error's text.
void ShowError(const std::exception& error);
