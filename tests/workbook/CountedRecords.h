// A record source over n generated records: it only moves a position from 0
// to n; the columns and values are up to the class built on it.
#pragma once

#include "workbook/TemplateFill.h"

class CountedRecords : public workbook::RecordSource {
public:
    explicit CountedRecords(int n) : m_n(n) {}
    int recordCount() override { return m_n; }
    int position() override { return m_pos; }
    void restore(int p) override { m_pos = p; }
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() override { return m_pos >= m_n; }

protected:
    int m_pos = 0;

private:
    int m_n;
};
