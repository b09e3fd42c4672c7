// Archiving a data folder of 40 large RTF documents (1-3 MB each) with one and
// with two workers, unpacking it, and gzip -9 of the same files in the same run.
// Counters: MB/s of input, output bytes, cores used (CPU over wall time) and
// time and size relative to gzip -9. On a machine shared with other work the
// times say little; compare within one run.
#include "backup/Archive.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <chrono>
#include <ctime>

namespace {

constexpr int kFiles = 40;

// A decision or application form as a word processor writes it: font and
// style tables, formatted paragraphs of Romanian text with escaped letters,
// tables of household members, and in some files a picture in hex.
QByteArray rtfDocument(int targetBytes, quint32 seed)
{
    static const char* words[] = {
        "cerere", "ajutor", "pentru", "\\'eenc\\'e3lzirea", "locuin\\'feei", "cu", "lemne", "c\\'e3rbuni",
        "combustibili", "petrolieri", "beneficiar", "domiciliat", "\\'een", "localitatea", "strada", "nr.",
        "venitul", "net", "lunar", "pe", "membru", "de", "familie", "conform", "Legii", "nr.", "226/2021",
        "privind", "consumatorul", "vulnerabil", "energie", "dispozi\\'feia", "primarului", "se", "acord\\'e3",
        "suma", "lei", "luna", "noiembrie", "decembrie", "ianuarie", "februarie", "martie", "anexa", "tabel"};
    static const char* names[] = {"Popescu", "Ionescu", "\\'aaerban", "\\'deurcanu", "Munteanu", "Constantin",
                                  "Stoica", "Dumitru", "Marin", "Georgescu", "Ion", "Maria", "Elena", "Vasile"};
    QRandomGenerator rng(seed);
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\deflang1048{\\fonttbl{\\f0\\froman\\fcharset238 Times New Roman;}"
                     "{\\f1\\fswiss\\fcharset238 Arial;}}\r\n{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                     "{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\f0\\fs24 Normal;}{\\s1\\qc\\b\\f1\\fs28 heading 1;}}\r\n";
    const bool picture = seed % 4 == 0;
    while (rtf.size() < targetBytes) {
        switch (rng.bounded(picture ? 4 : 3)) {
        case 0: { // paragraph
            rtf += "\\pard\\plain\\s0\\qj\\fi720\\sl360\\slmult1\\f0\\fs24 ";
            const int n = 40 + rng.bounded(80);
            for (int i = 0; i < n; ++i) {
                rtf += words[rng.bounded(int(std::size(words)))];
                rtf += i % 17 == 16 ? ".\r\n" : " ";
            }
            rtf += "\\par\r\n";
            break;
        }
        case 1: // table row of a household member
            rtf += "\\trowd\\trgaph70\\trleft-70\\clbrdrt\\brdrs\\brdrw10 \\cellx2000\\clbrdrt\\brdrs\\brdrw10 "
                   "\\cellx5000\\clbrdrt\\brdrs\\brdrw10 \\cellx7000\r\n\\pard\\intbl\\f1\\fs20 ";
            rtf += names[rng.bounded(int(std::size(names)))];
            rtf += ' ';
            rtf += names[rng.bounded(int(std::size(names)))];
            rtf += "\\cell " + QByteArray::number(1000000000000LL + rng.bounded(999999999)) + "\\cell "
                   + QByteArray::number(rng.bounded(5000)) + "." + QByteArray::number(rng.bounded(100))
                   + " lei\\cell\\row\r\n";
            break;
        case 2: // heading with a placeholder-like field
            rtf += "\\pard\\plain\\s1\\qc\\b\\f1\\fs28 ANEXA NR. " + QByteArray::number(rng.bounded(20))
                   + " - [NUME] [CNP]\\b0\\par\r\n";
            break;
        default: { // picture data: a gradient with noise, in hex lines of 128 digits
            rtf += "{\\*\\shppict{\\pict\\pngblip\\picw400\\pich300\\picwgoal6000\\pichgoal4500\r\n";
            for (int line = 0; line < 200; ++line) {
                QByteArray hex;
                for (int i = 0; i < 64; ++i)
                    hex += QByteArray::number((line + i + rng.bounded(8)) & 0xFF, 16).rightJustified(2, '0');
                rtf += hex + "\r\n";
            }
            rtf += "}}\r\n";
        }
        }
    }
    return rtf + "}\r\n";
}

struct Corpus {
    QTemporaryDir dir;
    QString folder;
    qint64 bytes = 0;
    double gzipSeconds = 0; // best gzip -9 time of this run
    qint64 gzipBytes = 0;

    Corpus()
    {
        folder = dir.filePath(QStringLiteral("Data"));
        QDir().mkpath(folder);
        QRandomGenerator rng(2026);
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray doc = rtfDocument(1000000 + rng.bounded(2000000), quint32(i));
            QFile f(QDir(folder).filePath(QStringLiteral("C%1.rtf").arg(1000 + i)));
            f.open(QIODevice::WriteOnly);
            f.write(doc);
            bytes += doc.size();
        }
    }
};

Corpus& corpus()
{
    static Corpus c;
    return c;
}

void BM_Gzip9(benchmark::State& state)
{
    Corpus& c = corpus();
    const QString out = c.dir.filePath(QStringLiteral("gz"));
    QDir().mkpath(out);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        qint64 total = 0;
        for (const QString& name : QDir(c.folder).entryList(QDir::Files)) {
            QProcess gzip;
            gzip.setStandardOutputFile(QDir(out).filePath(name + QStringLiteral(".gz")));
            gzip.start(QStringLiteral("gzip"), {QStringLiteral("-9"), QStringLiteral("-c"), QDir(c.folder).filePath(name)});
            gzip.waitForFinished(-1);
            total += QFileInfo(QDir(out).filePath(name + QStringLiteral(".gz"))).size();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        if (c.gzipSeconds == 0 || seconds < c.gzipSeconds)
            c.gzipSeconds = seconds;
        c.gzipBytes = total;
    }
    state.SetBytesProcessed(state.iterations() * c.bytes);
    state.counters["output_bytes"] = double(c.gzipBytes);
    state.counters["input_bytes"] = double(c.bytes);
}

void BM_WriteArchive(benchmark::State& state)
{
    Corpus& c = corpus();
    const QString archive = c.dir.filePath(QStringLiteral("copie.L21"));
    double best = 0, wall = 0, cpu = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock(); // all threads of the process
        backup::WriteArchive(c.folder, archive, {}, int(state.range(0)));
        cpu += double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        wall += seconds;
        state.SetIterationTime(seconds);
        if (best == 0 || seconds < best)
            best = seconds;
    }
    const qint64 size = QFileInfo(archive).size();
    state.SetBytesProcessed(state.iterations() * c.bytes);
    state.counters["output_bytes"] = double(size);
    state.counters["cores_used"] = cpu / wall; // CPU time over wall time
    if (c.gzipSeconds > 0) {
        state.counters["time_vs_gzip9"] = best / c.gzipSeconds;
        state.counters["size_vs_gzip9"] = double(size) / double(c.gzipBytes);
    }
}

void BM_UnpackArchive(benchmark::State& state)
{
    Corpus& c = corpus();
    const QString archive = c.dir.filePath(QStringLiteral("unpack.L21"));
    backup::WriteArchive(c.folder, archive);
    const QString out = c.dir.filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    for (auto _ : state)
        if (backup::UnpackArchive(archive, out))
            state.SkipWithError("unpack failed");
    state.SetBytesProcessed(state.iterations() * c.bytes);
}

} // namespace

BENCHMARK(BM_Gzip9)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteArchive)->Arg(1)->Arg(2)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackArchive)->Iterations(1)->Repetitions(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
