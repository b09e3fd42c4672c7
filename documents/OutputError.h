// A refusal or failure of a document output, carrying the Romanian message the
// user sees (the window shows it in an error box, hestavo-cli prints it).
#pragma once

#include <QString>

#include <stdexcept>

class OutputError : public std::runtime_error {
public:
    OutputError(const QString& title, const QString& message)
        : std::runtime_error(message.toStdString()), m_title(title), m_message(message) {}
    const QString& title() const { return m_title; }
    const QString& message() const { return m_message; }

private:
    QString m_title;
    QString m_message;
};
