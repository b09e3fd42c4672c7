// A document filled by the RTF engine opens in LibreOffice Writer with the
// values in place: converted to PDF headless, its text read with pdftotext.
#include "documents/RtfTemplate.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using documents::RtfTemplate;

namespace {

QString run(const QString& program, const QStringList& args, int* exitCode)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    p.waitForFinished(600000);
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAll());
}

TEST(RtfWriterTest, FilledDecisionOpensInWriterWithTheValues)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (soffice.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "LibreOffice or pdftotext not installed";

    QTemporaryDir dir;
    RtfTemplate rtf;
    rtf.setRTFSursa(QStringLiteral(HESTAVO_TEST_DATA "/rtf_dispozitie.rtf"));
    ASSERT_TRUE(rtf.PickDest(dir.filePath(QStringLiteral("Dispozitie"))));
    ASSERT_TRUE(rtf.BeginDocument());
    struct Record {
        const char* nr;
        const char* nume;
        const char* adresa;
        std::vector<const char*> membri;
    };
    const Record records[] = {
        {"12", "Ştefan Ţurcanu", "str. Morii nr. 3 {bloc A}", {"Ion Țurcanu, fiu", "Maria Țurcanu, sotie"}},
        {"13", "Ana Şerban", "", {"Mihai Șerban, sot"}},
    };
    for (const Record& r : records) {
        if (r.nr != records[0].nr)
            rtf.AppendPageBreak();
        rtf.AddTag(QStringLiteral("[LOCALITATE]"), QStringLiteral("Valea Lunga"));
        rtf.AddTag(QStringLiteral("[NRDISP]"), QString::fromUtf8(r.nr));
        rtf.AddTag(QStringLiteral("[DATA]"), QStringLiteral("15.01.2026"));
        rtf.AddTag(QStringLiteral("[DLUI]"), QStringLiteral("domnului"));
        rtf.AddTag(QStringLiteral("[NUME]"), QString::fromUtf8(r.nume));
        rtf.AddTag(QStringLiteral("[CNP]"), QStringLiteral("1800101123456"));
        rtf.AddTag(QStringLiteral("[ADRESA]"), QString::fromUtf8(r.adresa));
        rtf.AddTag(QStringLiteral("[SUMA]"), QStringLiteral("112.5"));
        for (const char* m : r.membri)
            rtf.AddTag(QStringLiteral("[MEMBRU]"), QString::fromUtf8(m));
        rtf.AppendBody(1);
    }
    rtf.EndDocument();

    const QString profile = QStringLiteral("file:///tmp/lo-formats-rtf-%1").arg(QCoreApplication::applicationPid());
    int code = 0;
    const QString log = run(soffice,
                            {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                             QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"),
                             dir.path(), rtf.RTFDest()},
                            &code);
    QDir(QStringLiteral("/tmp/lo-formats-rtf-%1").arg(QCoreApplication::applicationPid())).removeRecursively();
    const QString pdf = dir.filePath(QStringLiteral("Dispozitie0.pdf"));
    ASSERT_TRUE(QFile::exists(pdf)) << log.toStdString();
    const QString text = run(pdftotext, {pdf, QStringLiteral("-")}, &code);
    ASSERT_EQ(code, 0) << text.toStdString();

    const QString pages[] = {text.section(QChar('\f'), 0, 0), text.section(QChar('\f'), 1, 1)};
    const QStringList expected[] = {
        {QStringLiteral("PRIMARIA VALEA LUNGA"), QString::fromUtf8("DISPOZIŢIA nr. 12 din 15.01.2026"),
         QString::fromUtf8("domnului Ștefan Țurcanu, CNP 1800101123456"), QStringLiteral("str. Morii nr. 3 (bloc A)"),
         QStringLiteral("112.5 lei"), QString::fromUtf8("Ion Țurcanu, fiu"), QString::fromUtf8("Maria Țurcanu, sotie")},
        {QString::fromUtf8("DISPOZIŢIA nr. 13"), QString::fromUtf8("domnului Ana Șerban"),
         QString::fromUtf8("domiciliat în .........."), QString::fromUtf8("Mihai Șerban, sot")},
    };
    for (int page = 0; page < 2; ++page)
        for (const QString& want : expected[page])
            EXPECT_TRUE(pages[page].simplified().contains(want))
                << "page " << page + 1 << " lacks: " << want.toStdString() << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1Char('['))) << "a placeholder was left: " << text.toStdString();
}

} // namespace
