#include "ui/common/DateInput.h"

#include "ui/common/ProblemHint.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace {

const QString kFormat = QStringLiteral("dd.MM.yyyy");
constexpr int kFullLength = 10;   // "dd.MM.yyyy"

bool IsSeparator(QChar c) { return c == u'.' || c == u'/' || c == u'-' || c == u','; }

bool IsTypingKey(const QKeyEvent* event)
{
    const QString t = event->text();
    if (t.size() != 1 || (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        return false;
    return t[0].isDigit() || IsSeparator(t[0]);
}

// Digits and separators that a date could still grow from.
bool CouldBecomeDate(const QString& text)
{
    static const QRegularExpression partial(QStringLiteral("^[0-9]{0,2}([./,-][0-9]{0,2}([./,-][0-9]{0,4})?)?$"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]{0,8}$"));
    return partial.match(text).hasMatch() || digits.match(text).hasMatch();
}

} // namespace

DateInput::DateInput(const QDate& date, QWidget* parent) : QDateEdit(date, parent)
{
    // The calendar's month and day names in Romanian.
    setLocale(QLocale(QLocale::Romanian, QLocale::Romania));
    setDisplayFormat(kFormat);
    setCalendarPopup(true);
}

void DateInput::allowEmpty()
{
    setMinimumDate(QDate(1900, 1, 1));
    setSpecialValueText(QStringLiteral(" "));
}

QDate DateInput::parse(const QString& text, bool shortYears)
{
    static const QRegularExpression separated(QStringLiteral("^([0-9]{1,2})[./,-]([0-9]{1,2})[./,-]([0-9]{2}|[0-9]{4})$"));
    static const QRegularExpression together(QStringLiteral("^([0-9]{2})([0-9]{2})([0-9]{2}|[0-9]{4})$"));
    const QString t = text.trimmed();
    QRegularExpressionMatch m = separated.match(t);
    if (!m.hasMatch())
        m = together.match(t);
    if (!m.hasMatch())
        return {};
    const QString year = m.captured(3);
    if (year.size() == 2 && !shortYears)
        return {};
    const int y = year.size() == 2 ? 2000 + year.toInt() : year.toInt();
    return QDate(y, m.captured(2).toInt(), m.captured(1).toInt());
}

bool DateInput::isEmptyText(const QString& text) const
{
    return text.trimmed().isEmpty() && !specialValueText().isEmpty();
}

bool DateInput::inRange(const QDate& date) const
{
    return date.isValid() && date >= minimumDate() && date <= maximumDate();
}

QValidator::State DateInput::validate(QString& input, int& pos) const
{
    if (isEmptyText(input))
        return QValidator::Acceptable;
    const QDate date = parse(input, false);
    if (inRange(date)) {
        // Shown as the field shows every date, whatever the separators typed.
        input = date.toString(kFormat);
        pos = int(input.size());
        return QValidator::Acceptable;
    }
    return CouldBecomeDate(input.trimmed()) ? QValidator::Intermediate : QValidator::Invalid;
}

QDateTime DateInput::dateTimeFromText(const QString& text) const
{
    if (isEmptyText(text))
        return minimumDate().startOfDay();
    const QDate date = parse(text, false);
    return inRange(date) ? date.startOfDay() : QDateEdit::dateTimeFromText(text);
}

void DateInput::takeText(const QString& text)
{
    if (text == textFromDateTime(dateTime()) || (isEmptyText(text) && date() == minimumDate()))
        return;
    const QDate typed = isEmptyText(text) ? minimumDate() : parse(text, true);
    if (inRange(typed)) {
        setDate(typed);
        return;
    }
    ShowProblemHint(QStringLiteral("Data incorecta: ") + text.trimmed() + QStringLiteral(" (zz.ll.aaaa)"), this);
    lineEdit()->setText(textFromDateTime(dateTime()));
}

void DateInput::finishTyping() { takeText(lineEdit()->text()); }

void DateInput::keyPressEvent(QKeyEvent* event)
{
    QLineEdit* edit = lineEdit();
    if (event->matches(QKeySequence::Paste)) {
        takeText(QApplication::clipboard()->text());
        edit->selectAll();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        finishTyping();
        return QDateEdit::keyPressEvent(event);
    }
    if (IsTypingKey(event)) {
        if (edit->text().trimmed().isEmpty()) {
            edit->selectAll();
        } else if (!edit->hasSelectedText() && edit->text().size() >= kFullLength
                   && edit->cursorPosition() < edit->text().size()) {
            // A full date takes the key in place of the character at the caret.
            int at = edit->cursorPosition();
            if (IsSeparator(edit->text().at(at)) && !IsSeparator(event->text().at(0)))
                ++at;
            edit->setSelection(at, 1);
        }
        // As plain text: QDateEdit's own keys would jump between day, month
        // and year on a separator and keep what was not overtyped.
        return QAbstractSpinBox::keyPressEvent(event);
    }
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete)
        return QAbstractSpinBox::keyPressEvent(event);
    QDateEdit::keyPressEvent(event);
}

void DateInput::focusInEvent(QFocusEvent* event)
{
    QDateEdit::focusInEvent(event);
    // Reached by the keyboard, the whole date is replaced by what is typed.
    if (event->reason() != Qt::MouseFocusReason)
        lineEdit()->selectAll();
}

void DateInput::focusOutEvent(QFocusEvent* event)
{
    finishTyping();
    QDateEdit::focusOutEvent(event);
}
