// Rows composed in memory as the records of a "#DBF" data row, with text and
// number columns (the cumulated Annex 13 and the Annex 25 lists): numbers
// reach the sheet as numbers, so the totals below the rows add them up.
#pragma once

#include "workbook/TemplateFill.h"

#include <QList>
#include <QStringList>

#include <optional>
#include <vector>

namespace hestavo {

class AjpisReportRecords : public workbook::RecordSource {
public:
    AjpisReportRecords(QStringList textColumns, QStringList numberColumns);
    // One row: a text per text column and a number per number column (nullopt: blank).
    void append(const QStringList& texts, const std::vector<std::optional<double>>& numbers);

    int recordCount() override { return int(m_texts.size()); }
    int position() override { return m_at; }
    void restore(int position) override { m_at = position; }
    void first() override { m_at = 0; }
    void next() override { ++m_at; }
    bool eof() override { return m_at >= m_texts.size(); }
    QStringList columnNames() override { return m_textColumns + m_numberColumns; }
    bool isTextColumn(const QString& column) override;
    QString text(const QString& column) override;
    std::optional<double> number(const QString& column) override;

private:
    QStringList m_textColumns;
    QStringList m_numberColumns;
    QList<QStringList> m_texts;
    QList<std::vector<std::optional<double>>> m_numbers;
    int m_at = 0;
};

} // namespace hestavo
