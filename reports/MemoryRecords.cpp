#include "reports/MemoryRecords.h"

namespace hestavo {

QString MemoryRecords::text(const QString& column)
{
    const qsizetype c = m_columns.indexOf(column, 0);
    if (c < 0 || eof())
        return QString();
    return m_rows[m_at].value(c);
}

} // namespace hestavo
