#include "reports/AjpisReportRecords.h"

#include "workbook/CellValue.h"

namespace hestavo {

AjpisReportRecords::AjpisReportRecords(QStringList textColumns, QStringList numberColumns)
    : m_textColumns(std::move(textColumns)), m_numberColumns(std::move(numberColumns))
{
}

void AjpisReportRecords::append(const QStringList& texts, const std::vector<std::optional<double>>& numbers)
{
    m_texts.append(texts);
    m_numbers.append(numbers);
}

bool AjpisReportRecords::isTextColumn(const QString& column)
{
    return m_textColumns.contains(column, Qt::CaseInsensitive);
}

QString AjpisReportRecords::text(const QString& column)
{
    const qsizetype at = m_textColumns.indexOf(column.toUpper());
    if (at >= 0)
        return m_texts[m_at].value(at);
    const std::optional<double> n = number(column);
    return n ? workbook::generalNumber(*n) : QString();
}

std::optional<double> AjpisReportRecords::number(const QString& column)
{
    const qsizetype at = m_numberColumns.indexOf(column.toUpper());
    if (at < 0 || size_t(at) >= m_numbers[m_at].size())
        return std::nullopt;
    return m_numbers[m_at][at];
}

} // namespace hestavo
