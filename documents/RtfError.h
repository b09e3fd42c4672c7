// The failure of the RTF engine's write operations (RtfTemplate, the line
// reader and writer); message() is shown to the user.
#pragma once

#include <QString>

#include <stdexcept>

namespace documents {

// An input/output failure of a write operation; message() is shown to the user.
class RTFError : public std::runtime_error {
public:
    explicit RTFError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace documents
