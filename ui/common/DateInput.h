// A date field that takes a date typed the way it is written on paper:
// "03.02.2025", "3.2.2025", "03/02/2025", "03022025" (and, when the field is
// left, a two-digit year: "3.2.25", "030225"), typed or pasted, gives that
// date. The keys go to the text as in an ordinary line edit; the date is read
// once the text is complete, and when the field is left or Enter is pressed.
// A text that is not a date is refused there with a balloon and the field
// keeps its previous date. The arrows and the calendar work as in QDateEdit.
#pragma once

#include <QDate>
#include <QDateEdit>

class DateInput : public QDateEdit {
    Q_OBJECT
public:
    explicit DateInput(const QDate& date = QDate::currentDate(), QWidget* parent = nullptr);

    // The field may be empty: its minimum date (01.01.1900) stands for "no
    // date", shows as an empty field, and an emptied field reads as it.
    void allowEmpty();

    // The date written in `text` (day, month, year, in that order), or an
    // invalid date. Two-digit years are 20yy and taken only with shortYears.
    static QDate parse(const QString& text, bool shortYears);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;
    QDateTime dateTimeFromText(const QString& text) const override;

private:
    bool isEmptyText(const QString& text) const;
    bool inRange(const QDate& date) const;
    void takeText(const QString& text);
    void finishTyping();
};
