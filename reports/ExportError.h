// A refusal of an export, carrying the Romanian message and the heading of the
// dialog that shows it (the window and hestavo-cli both print it).
#pragma once

#include <QString>

#include <stdexcept>

namespace hestavo {

class ExportError : public std::runtime_error {
public:
    ExportError(const QString& heading, const QString& message)
        : std::runtime_error(message.toStdString()), m_heading(heading), m_message(message) {}
    const QString& heading() const { return m_heading; }
    const QString& message() const { return m_message; }

private:
    QString m_heading;
    QString m_message;
};

} // namespace hestavo
