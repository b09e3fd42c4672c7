// A document command that stops before writing anything: the title and text
// of the error message the user sees.
#pragma once

#include <QString>

#include <stdexcept>

namespace hestavo {

class DocumentRefusal : public std::runtime_error {
public:
    DocumentRefusal(const QString& title, const QString& text)
        : std::runtime_error(text.toStdString()), m_title(title), m_text(text) {}
    const QString& title() const { return m_title; }
    const QString& text() const { return m_text; }

private:
    QString m_title;
    QString m_text;
};

} // namespace hestavo
