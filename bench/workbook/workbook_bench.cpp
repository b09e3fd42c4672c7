// Filling a template's data row with 20,000 records and saving the workbook,
// .xls and .xlsx: open, copies of the data row in one insertion, values,
// save (the save evaluates the formulas and stores their results). Target:
// under a second for the .xls; "ratio_to_target" is the mean time of one fill
// divided by that second. The output of the last run is
// left in the temporary folder (hestavo-bench-20000.xls/.xlsx) for checking
// with LibreOffice.
#include "tests/workbook/CountedRecords.h"
#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"

#include <QDir>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

namespace {

class GeneratedRecords : public CountedRecords {
public:
    using CountedRecords::CountedRecords;
    QStringList columnNames() override { return {"NUME", "DATA", "SUMA", "NRDISP", "SUMAL"}; }
    bool isTextColumn(const QString& c) override { return c == QLatin1String("NUME") || c == QLatin1String("NRDISP"); }
    QString text(const QString& c) override
    {
        if (c == QLatin1String("NUME")) return QStringLiteral("BENEFICIAR %1 ȘTEFĂNESCU").arg(m_pos);
        return QStringLiteral("%1/").arg(m_pos + 1);
    }
    std::optional<double> number(const QString& c) override
    {
        if (c == QLatin1String("DATA")) return 45000 + m_pos % 365;
        if (c == QLatin1String("SUMA")) return 100 + (m_pos % 50) * 2.5;
        return double(m_pos % 3);
    }
};

void fill(benchmark::State& state, const char* ext)
{
    const QString tpl = QStringLiteral(HESTAVO_SOURCE_DIR "/tests/workbook/data/test-lista.") + QLatin1String(ext);
    const QString out = QDir::temp().filePath(QStringLiteral("hestavo-bench-20000.") + QLatin1String(ext));
    QElapsedTimer timer;
    qint64 elapsedMs = 0;
    for (auto _ : state) {
        timer.start();
        auto book = workbook::Workbook::open(tpl);
        GeneratedRecords records(int(state.range(0)));
        workbook::fillDataRow(*book, records, workbook::CellValue::fromText(QString()));
        book->save(out);
        elapsedMs += timer.elapsed();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    if (QLatin1String(ext) == QLatin1String("xls"))
        state.counters["ratio_to_target"] = double(elapsedMs) / double(state.iterations()) / 1000.0;
}

void BM_FillXls(benchmark::State& state) { fill(state, "xls"); }
void BM_FillXlsx(benchmark::State& state) { fill(state, "xlsx"); }

} // namespace

BENCHMARK(BM_FillXls)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillXlsx)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
