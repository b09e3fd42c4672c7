// The shipped list templates filled the way the reports fill them: three
// records in the data row, then the saved workbook read by xlrd (structure)
// and by LibreOffice (the totals below the rows recalculated over all three),
// all files in one LibreOffice run.
#include "../workbook/Checkers.h"

#include "data/Files.h"
#include "documents/TemplateStore.h"
#include "workbook/TemplateFill.h"
#include "workbook/Workbook.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QStringList kNumeric = {"CUANTUM", "NR_LUNI", "TOTAL", "SUMAL", "SUMAG", "SUMAE", "SUMAT", "NR_MEMBRI",
                              "VENITM", "NRPERS", "SUMA", "DATADISP"};

// Records whose columns are the markers of the data row: numbers for the
// amount columns (record r, column c: 100 * (r + 1) + c), text otherwise.
class MarkerRecords : public workbook::RecordSource {
public:
    explicit MarkerRecords(QStringList columns) : m_columns(std::move(columns)) {}
    int recordCount() override { return 3; }
    int position() override { return m_pos; }
    void restore(int p) override { m_pos = p; }
    void first() override { m_pos = 0; }
    void next() override { ++m_pos; }
    bool eof() override { return m_pos >= 3; }
    QStringList columnNames() override { return m_columns; }
    bool isTextColumn(const QString& c) override { return !kNumeric.contains(c.toUpper()); }
    QString text(const QString& c) override { return c.toUpper() + QString::number(m_pos + 1); }
    std::optional<double> number(const QString& c) override { return value(m_pos, c); }
    double value(int record, const QString& c) const { return 100.0 * (record + 1) + m_columns.indexOf(c); }

private:
    QStringList m_columns;
    int m_pos = 0;
};

double csvNumber(QString s)
{
    s.remove(QLatin1Char(','));
    bool ok = false;
    const double d = s.toDouble(&ok);
    return ok ? d : -1;
}

} // namespace

TEST(FilledTemplates, ListsGrowAndTheirTotalsCoverEveryRow)
{
    if (checkers::run(QStringLiteral("soffice"), {QStringLiteral("--version")}).exitCode != 0)
        GTEST_SKIP() << "LibreOffice not installed";
    InitTemplateResources();
    struct Case {
        const char* resource;
        int sheet;           // 1-based
        bool totals;         // a TOTAL row under the data row
    };
    const Case cases[] = {
        {"Stat", 1, true},      {"Stat", 2, true},      {"Stat", 3, true},       {"StabilireU", 2, true},
        {"StabilireU", 3, true}, {"TrezAnx2", 1, true}, {"AJPIS", 1, true},      {"Anexa13", 1, true},
        {"Anexa13BC", 1, true}, {"Anexa14", 1, true},   {"Anexa15", 1, true},    {"Anexa15", 2, true},
        {"Anexa16", 1, true},   {"Anexa16", 2, true},   {"Anexa17", 1, true},    {"Anexa25", 1, true},
        {"CONTROL", 1, false},  {"ListaPers", 1, false}, {"SitMem", 1, false},
    };
    struct Filled {
        QString file, sheet;
        int row;
        QStringList columns;
        QList<int> columnAt;
    };
    QTemporaryDir dir;
    std::vector<Filled> filled;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.resource) + " sheet " + std::to_string(c.sheet));
        const QString source = dir.filePath(QString::fromLatin1(c.resource) + ".xls");
        QFile::remove(source);
        ASSERT_TRUE(QFile::copy(findResource(QString::fromLatin1(c.resource), QStringLiteral("MODEL")), source));
        QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        auto book = workbook::Workbook::open(source);
        book->setActiveSheet(c.sheet - 1);
        const QString sheetName = book->sheetName(c.sheet - 1);
        const int row = workbook::findDataRow(*book);
        ASSERT_GE(row, 0);
        QStringList columns;
        QList<int> columnAt;
        for (int col = 0; col <= book->lastColumn(); ++col) {
            const QString t = book->cellText(row, col).trimmed();
            if (t.startsWith('#') && t.compare("#DBF", Qt::CaseInsensitive) != 0) {
                columns << t.mid(1);
                columnAt << col;
            }
        }
        MarkerRecords records(columns);
        workbook::fillDataRow(*book, records, workbook::CellValue());
        const QString out = dir.filePath(QStringLiteral("%1-%2-filled.xls").arg(c.resource).arg(c.sheet));
        book->save(out);

        const QJsonObject x = checkers::xlrd(out);
        EXPECT_FALSE(x.contains("error")) << x.value("error").toString().toStdString();
        EXPECT_TRUE(checkers::xlrdLogClean(x)) << x.value("log").toString().toStdString();
        filled.push_back({out, sheetName, row, columns, columnAt});
    }

    // One LibreOffice start for all of them: every sheet to CSV, recalculated.
    QDir().mkpath(dir.filePath("csv"));
    QStringList files;
    for (const Filled& f : filled)
        files << f.file;
    const QString profile = QStringLiteral("file:///tmp/lo-filled-%1").arg(QCoreApplication::applicationPid());
    checkers::run(QStringLiteral("soffice"),
                  QStringList{"-env:UserInstallation=" + profile, "--headless", "--convert-to",
                              "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1",
                              "--outdir", dir.filePath("csv")} + files, 600000);
    QDir(QUrl(profile).toLocalFile()).removeRecursively();
    for (size_t k = 0; k < filled.size(); ++k) {
        const Case& c = cases[k];
        const Filled& f = filled[k];
        SCOPED_TRACE(std::string(c.resource) + " sheet " + std::to_string(c.sheet));
        const int row = f.row;
        const QStringList& columns = f.columns;
        const QList<int>& columnAt = f.columnAt;
        MarkerRecords records(columns);
        QFile csvFile(dir.filePath("csv/" + QFileInfo(f.file).completeBaseName() + "-" + f.sheet + ".csv"));
        ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly)) << "LibreOffice did not read " << f.file.toStdString();
        const QList<QStringList> csv = checkers::parseCsv(csvFile.readAll());
        ASSERT_FALSE(csv.isEmpty()) << "empty sheet in " << f.file.toStdString();
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(checkers::csvCell(csv, row + r, 0), QString::number(r + 1)) << "running number";
        int totalsChecked = 0;
        for (int i = 0; i < columns.size(); ++i) {
            if (!kNumeric.contains(columns[i].toUpper()) || columns[i].toUpper() == "DATADISP")
                continue;
            const QString total = checkers::csvCell(csv, row + 3, columnAt[i]);
            if (total.isEmpty())
                continue;
            EXPECT_DOUBLE_EQ(csvNumber(total),
                             records.value(0, columns[i]) + records.value(1, columns[i]) + records.value(2, columns[i]))
                << columns[i].toStdString() << " total reads " << total.toStdString();
            ++totalsChecked;
        }
        if (c.totals) {
            EXPECT_EQ(checkers::csvCell(csv, row + 3, 0), QString("TOTAL"));
            EXPECT_GT(totalsChecked, 0) << "no amount column is totalled";
        }
    }

    // The other month sheets of Annex 13 show the first sheet's mayor through
    // a formula, which must follow the cell when the first sheet's list grows.
    QFile other(dir.filePath("csv/AJPIS-1-filled-4luni.csv"));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    const QList<QStringList> csv = checkers::parseCsv(other.readAll());
    EXPECT_EQ(checkers::csvCell(csv, 16, 3), QString("[PRIMAR]"));
    EXPECT_EQ(checkers::csvCell(csv, 1, 1), QString::fromUtf8("Județul [JUDET]"));
}
