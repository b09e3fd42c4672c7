// Rows of text held in memory as the records of a "#DBF" data row, for lists
// whose rows the program composes itself (the members situation).
#pragma once

#include "workbook/TemplateFill.h"

#include <QList>
#include <QStringList>

namespace hestavo {

class MemoryRecords : public workbook::RecordSource {
public:
    explicit MemoryRecords(QStringList columns) : m_columns(std::move(columns)) {}
    // One row: a text per column, in the order of the columns.
    void append(const QStringList& row) { m_rows.append(row); }
    QList<QStringList>& rows() { return m_rows; }

    int recordCount() override { return int(m_rows.size()); }
    int position() override { return m_at; }
    void restore(int position) override { m_at = position; }
    void first() override { m_at = 0; }
    void next() override { ++m_at; }
    bool eof() override { return m_at >= m_rows.size(); }
    QStringList columnNames() override { return m_columns; }
    bool isTextColumn(const QString&) override { return true; }
    QString text(const QString& column) override;
    std::optional<double> number(const QString&) override { return std::nullopt; }

private:
    QStringList m_columns;
    QList<QStringList> m_rows;
    int m_at = 0;
};

} // namespace hestavo
