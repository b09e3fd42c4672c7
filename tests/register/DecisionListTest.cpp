// The separate decisions of each status, filled from the shipped templates and
// read back through LibreOffice as plain text: every decision on its own page,
// in the numeric order of the numbers, with the applicant's values in place.
#include "OfficeConversion.h"
#include "RegisterFixture.h"

#include "documents/TemplateStore.h"
#include "register/DecisionList.h"
#include "register/DocumentRefusal.h"
#include "register/ReportList.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>

using namespace hestavo;

namespace {

const QString kMonth = QStringLiteral("11.2024");

// The documents print s and t with comma below, whichever form the data hold.
QString CommaBelow(QString text)
{
    return text.replace(QChar(0x015E), QChar(0x0218)).replace(QChar(0x015F), QChar(0x0219))
        .replace(QChar(0x0162), QChar(0x021A)).replace(QChar(0x0163), QChar(0x021B));
}

bool HasCedilla(const QString& text)
{
    return text.contains(QChar(0x015E)) || text.contains(QChar(0x015F)) || text.contains(QChar(0x0162))
        || text.contains(QChar(0x0163));
}

class DecisionListTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        AdminSettings s;
        s.primaria = QStringLiteral("ŞIRIA");
        s.tiploc = 1;
        s.judet = QStringLiteral("ARAD");
        s.primar = QStringLiteral("ŢURCAN ION");
        s.viceprimar = QStringLiteral("POPA ANA");
        s.contabil = QStringLiteral("RUS DAN");
        StoreAdminSettings(s);
        settings = LoadAdminSettings();
        MaterializeTemplates();
    }
    // An application of the month with its decision number and amounts.
    static void AddDecision(int key, const QString& number, const QString& status, const QString& name,
                            const QString& cnp, int amount, int wood)
    {
        AddRow({key, kMonth, name, cnp, status, 2, 400, 100 + key});
        Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET NR_DISP=\"" + number + "\", DATADISP=\"2" + QString::number(key % 8)
             + ".11.2024\", CUANTUM=" + QString::number(amount) + ", TOTAL=" + QString::number(amount * 5)
             + ", CUAJUT=\"" + (amount > 0 ? "X" : "") + "\", SUMAL=" + QString::number(wood) + ", ADRESA=\"STR. MARE NR. " + QString::number(key)
             + "\", MOTIVR=\"VENIT PESTE LIMITA\" WHERE NRCRT=" + QString::number(key));
    }
    AdminSettings settings;
};

TEST_F(DecisionListTest, EachStatusGivesOnePagePerDecisionWithItsValues)
{
    if (!HaveLibreOffice())
        GTEST_SKIP() << "LibreOffice not installed";
    QTemporaryDir out;
    // Numbers 9, 10, 2: the document must hold them as 2, 9, 10.
    const char* statuses[] = {"APROBAT", "MODIFICAT", "INCETAT", "RESPINS"};
    int key = 1;
    for (const char* status : statuses) {
        AddDecision(key, "10", status, "ŞTEFAN ŢIGĂNUŞ", "1800101000011", 256, 30);
        AddDecision(key + 1, "9", status, "POPESCU MARIA", "2800101000022", 0, 0);
        AddDecision(key + 2, "2", status, "ION VASILE", "5010101000033", 360, 0);
        key += 3;
    }
    for (const char* status : statuses) {
        SCOPED_TRACE(status);
        const QString rtf = out.filePath(QString::fromLatin1(status) + ".rtf");
        DecisionListing listing{QString::fromLatin1(status), 1, 12, QDate(2024, 12, 1)};
        ASSERT_EQ(WriteDecisions(kMonth, listing, settings, rtf), 3);
        QFile txt(ConvertDocument(rtf, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt")));
        ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(txt.readAll());
        EXPECT_EQ(PdfPages(ConvertDocument(rtf, QStringLiteral("pdf"), QStringLiteral("pdf"))), 3);
        const auto raw = QRegularExpression(QStringLiteral("\\[[A-Za-z][A-Za-z0-9]+\\]")).match(text);  // "[X]" is a ticked box
        EXPECT_FALSE(raw.hasMatch()) << "raw placeholder " << raw.captured().toStdString();
        // The numeric order of the numbers.
        const qsizetype two = text.indexOf("ION VASILE"), nine = text.indexOf("POPESCU MARIA"),
                        ten = text.indexOf(CommaBelow(QStringLiteral("ŞTEFAN ŢIGĂNUŞ")));
        EXPECT_TRUE(two >= 0 && two < nine && nine < ten) << two << " " << nine << " " << ten;
        for (const char* value : {"1800101000011", "2800101000022", "5010101000033", "ARAD", "POPA ANA"})
            EXPECT_TRUE(text.contains(QString::fromLatin1(value))) << value;
        EXPECT_TRUE(text.contains(CommaBelow(QStringLiteral("ŢURCAN ION"))));
        EXPECT_TRUE(text.contains(CommaBelow(QStringLiteral("ŞIRIA"))));
        EXPECT_TRUE(text.contains(CommaBelow(QStringLiteral("orașului ŞIRIA")))) << "locality genitive";
        EXPECT_FALSE(HasCedilla(text)) << "s or t with cedilla";
        EXPECT_TRUE(text.contains(QStringLiteral("domnului")));
        EXPECT_TRUE(text.contains(QStringLiteral("doamnei")));
        EXPECT_TRUE(text.contains(QStringLiteral("STR. MARE NR.")));
        if (QString::fromLatin1(status) == "APROBAT" || QString::fromLatin1(status) == "MODIFICAT") {
            EXPECT_TRUE(text.contains(QStringLiteral("256"))) << "amount";
            EXPECT_TRUE(text.contains(QStringLiteral("01.12.2024"))) << "aid start";
            EXPECT_FALSE(text.contains(QStringLiteral("[..........]"))) << "an unticked box printed as dots";
        }
        if (QString::fromLatin1(status) == "INCETAT" || QString::fromLatin1(status) == "RESPINS")
            EXPECT_TRUE(text.contains(QStringLiteral("VENIT PESTE LIMITA"))) << "reason";
    }
}

// The unit's kind in the case each sentence needs and the holder addressed
// by the sex of the CNP, for every kind and both sexes, in a refusal and a
// report as LibreOffice reads them.
TEST_F(DecisionListTest, UnitKindAndFormOfAddressInTheirCases)
{
    if (!HaveLibreOffice())
        GTEST_SKIP() << "LibreOffice not installed";
    const struct {
        int tiploc;
        const char *capitals, *genitive;
    } kinds[] = {{0, "COMUNEI", "comunei"}, {1, "ORAȘULUI", "orașului"}, {2, "MUNICIPIULUI", "municipiului"}};
    const struct {
        const char *name, *cnp, *subject, *genitive;
    } holders[] = {{"POP ION", "1800101000011", "domnul", "domnului"},
                   {"POP ANA", "2800101000022", "doamna", "doamnei"},
                   {"RUS DAN", "5010101000033", "domnul", "domnului"},
                   {"RUS EVA", "6010101000044", "doamna", "doamnei"}};
    int key = 1;
    for (const auto& h : holders) {
        AddDecision(key, QString::number(key), "RESPINS", QString::fromLatin1(h.name), QString::fromLatin1(h.cnp), 0, 0);
        AddDecision(key + 10, QString::number(key), "APROBAT", QString::fromLatin1(h.name), QString::fromLatin1(h.cnp), 100, 0);
        Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET NR_REF=" + QString::number(key) + " WHERE NRCRT="
             + QString::number(key + 10));
        ++key;
    }
    QTemporaryDir out;
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.tiploc);
        settings.tiploc = kind.tiploc;
        settings.primaria = QStringLiteral("Bacău");
        const QString refusal = out.filePath(QStringLiteral("R%1.rtf").arg(kind.tiploc));
        const QString report = out.filePath(QStringLiteral("F%1.rtf").arg(kind.tiploc));
        ASSERT_EQ(WriteDecisions(kMonth, {QStringLiteral("RESPINS"), 1, 4, QDate(2024, 12, 1)}, settings, refusal), 4);
        ASSERT_EQ(WriteReports(kMonth, {1, 4, QDate(2024, 11, 30)}, settings, report), 4);
        const QString r = QString::fromUtf8(
            [&] { QFile f(ConvertDocument(refusal, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt")));
                  f.open(QIODevice::ReadOnly); return f.readAll(); }()).simplified();
        const QString f = QString::fromUtf8(
            [&] { QFile f(ConvertDocument(report, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt")));
                  f.open(QIODevice::ReadOnly); return f.readAll(); }()).simplified();
        const QString caps = QString::fromUtf8(kind.capitals), gen = QString::fromUtf8(kind.genitive);
        EXPECT_TRUE(r.contains("PRIMARUL " + caps + " Bacău")) << r.left(300).toStdString();
        EXPECT_TRUE(r.contains("Primarul " + gen + " Bacău, județul ARAD;")) << r.left(600).toStdString();
        EXPECT_TRUE(r.contains("sediul Primăriei " + gen + " Bacău."));
        EXPECT_TRUE(f.contains(QStringLiteral("PRIMĂRIA ") + caps + " Bacău")) << f.left(300).toStdString();
        for (const auto& h : holders) {
            const QString name = QString::fromLatin1(h.name);
            SCOPED_TRACE(h.name);
            EXPECT_TRUE(r.contains(QStringLiteral("depusă de ") + QString::fromLatin1(h.subject) + " " + name + ", CNP"));
            EXPECT_TRUE(r.contains(" a " + QString::fromLatin1(h.genitive) + " " + name + ", CNP"));
            EXPECT_TRUE(f.contains(", " + QString::fromLatin1(h.subject) + " " + name + ", CNP " + QString::fromLatin1(h.cnp)))
                << f.toStdString();
        }
        for (const char* wrong : {"U.A.T.", "MUNICIPIUL Bacău", "ORAȘUL Bacău", "COMUNA Bacău", "de doamnei", "de domnului"})
            EXPECT_FALSE(r.contains(QString::fromUtf8(wrong))) << wrong;
    }
}

TEST_F(DecisionListTest, RefusalsWriteNothing)
{
    QTemporaryDir out;
    AddDecision(1, "", "RESPINS", "POPESCU MARIA", "2800101000022", 0, 0);
    const QString rtf = out.filePath("d.rtf");
    const struct {
        const char* what;
        DecisionListing listing;
        const char* message;
    } cases[] = {
        {"no decision in the interval", {"RESPINS", 1, 5, QDate(2024, 12, 1)},
         "Nu exista nici un numar de dipozitie in intervalul 1 - 5 !"},
        {"no decision of the status", {"INCETAT", 0, 0, QDate(2024, 12, 1)},
         "Nu exista nici un numar de dipozitie in intervalul 0 - 0 !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            WriteDecisions(kMonth, c.listing, settings, rtf);
            ADD_FAILURE() << "no refusal";
        } catch (const DocumentRefusal& r) {
            EXPECT_EQ(r.text().trimmed(), QString::fromLatin1(c.message));
        }
        EXPECT_FALSE(QFile::exists(rtf));
    }
    // The not-yet-numbered decision is listed by 0 - 0 and its number prints as dots.
    EXPECT_EQ(WriteDecisions(kMonth, {"RESPINS", 0, 0, QDate(2024, 12, 1)}, settings, rtf), 1);
    QFile f(rtf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(".........."));
    f.remove();

    QFile::remove(EditableTemplatePath(*FindEditableTemplate("Respingere.rtf")));
    try {
        WriteDecisions(kMonth, {"RESPINS", 0, 0, QDate(2024, 12, 1)}, settings, rtf);
        ADD_FAILURE() << "no refusal without a template";
    } catch (const DocumentRefusal& r) {
        EXPECT_TRUE(r.text().startsWith("Nu exista modelul ")) << r.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(rtf));
}

TEST_F(DecisionListTest, ReportsOfApprovedApplicationsInTheRange)
{
    if (!HaveLibreOffice())
        GTEST_SKIP() << "LibreOffice not installed";
    settings.intocmit = QStringLiteral("ŢARĂ ELENA");
    settings.director = QStringLiteral("DIRECTOR DAN");
    AddDecision(1, "1", "APROBAT", "ŞTEFAN ŢIGĂNUŞ", "1800101000011", 256, 30);
    AddDecision(2, "2", "APROBAT", "POPESCU MARIA", "2800101000022", 360, 0);
    AddDecision(3, "3", "RESPINS", "ION VASILE", "5010101000033", 0, 0);
    AddDecision(4, "4", "APROBAT", "AFARA DIN INTERVAL", "5010101000044", 100, 0);
    const struct { int key; int report; } numbers[] = {{1, 7}, {2, 8}, {3, 8}, {4, 20}};
    for (const auto& n : numbers)
        Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET NR_REF=" + QString::number(n.report)
             + " WHERE NRCRT=" + QString::number(n.key));
    QTemporaryDir out;
    const QString rtf = out.filePath("Referat.rtf");
    ASSERT_EQ(WriteReports(kMonth, {7, 10, QDate(2024, 11, 30)}, settings, rtf), 2);
    QFile txt(ConvertDocument(rtf, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt")));
    ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(txt.readAll());
    EXPECT_EQ(PdfPages(ConvertDocument(rtf, QStringLiteral("pdf"), QStringLiteral("pdf"))), 2);
    const auto raw = QRegularExpression(QStringLiteral("\\[[A-Za-z][A-Za-z0-9]+\\]")).match(text);
    EXPECT_FALSE(raw.hasMatch()) << "raw placeholder " << raw.captured().toStdString();
    for (const QString& value : {QStringLiteral("ŞTEFAN ŢIGĂNUŞ"), QStringLiteral("POPESCU MARIA"),
                                 QStringLiteral("1800101000011"), QStringLiteral("2800101000022"),
                                 QStringLiteral("30.11.2024"), QStringLiteral("256"), QStringLiteral("1280"),
                                 QStringLiteral("ŢARĂ ELENA"), QStringLiteral("STR. MARE NR. 1, SAT")})
        EXPECT_TRUE(text.contains(CommaBelow(value))) << value.toStdString();
    EXPECT_LT(text.indexOf(CommaBelow(QStringLiteral("ŞTEFAN"))), text.indexOf(QStringLiteral("POPESCU")));
    for (const char* absent : {"ION VASILE", "AFARA DIN INTERVAL"})
        EXPECT_FALSE(text.contains(QString::fromLatin1(absent))) << absent;

    try {
        WriteReports(kMonth, {21, 30, QDate(2024, 11, 30)}, settings, out.filePath("none.rtf"));
        ADD_FAILURE() << "no refusal";
    } catch (const DocumentRefusal& r) {
        EXPECT_EQ(r.text().trimmed(), QStringLiteral("Nu exista niciun Referat in intervalul 21 - 30 !"));
    }
    EXPECT_FALSE(QFile::exists(out.filePath("none.rtf")));
}

} // namespace
