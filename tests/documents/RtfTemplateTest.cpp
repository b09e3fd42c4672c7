// The RTF placeholder engine: filling rules as one table of template, tags and
// expected output; document assembly, output names, opening the result.
#include "data/TestMode.h"
#include "documents/RtfTemplate.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <utility>
#include <vector>

using documents::RTFError;
using documents::RtfTemplate;

namespace {

const QByteArray kHeader = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}";

QByteArray crlf(std::initializer_list<QByteArray> lines)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + "\r\n";
    return out;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

enum class Op { Body, TwoCopies, Marker };

struct FillCase {
    const char* rule;
    QByteArray templateText;
    std::vector<std::pair<QByteArray, QByteArray>> tags;
    Op op;
    QByteArray expected; // the whole output: header, what the operation appends, and "}"
};

std::vector<FillCase> fillCases()
{
    const QByteArray head = crlf({kHeader});
    return {
        {"empty value prints ten dots", head + "\\pard Nume: [NUME]\\par\r\n}\r\n", {{"[NUME]", ""}}, Op::Body,
         head + crlf({"\\pard Nume: ..........\\par", "}"})},
        {"a blank value prints one blank", head + "\\pard <[Nume]>\r\n}\r\n", {{"[NUME]", " "}}, Op::Body,
         head + crlf({"\\pard < >", "}"})},
        {"braces become parentheses", head + "\\pard [Val]\r\n}\r\n", {{"[VAL]", "a{b}c"}}, Op::Body,
         head + crlf({"\\pard a(b)c", "}"})},
        {"a backslash prints as itself, never as a control word", head + "\\pard [Adresa]\\par\r\n}\r\n",
         {{"[ADRESA]", "Nr. 5\\b bl. A1\\par sc. 2\\"}}, Op::Body,
         head + crlf({"\\pard Nr. 5\\\\b bl. A1\\\\par sc. 2\\\\\\par", "}"})},
        {"s and t with cedilla print with comma below, the cedilla byte as fallback",
         head + "\\pard [Nume] / [NUME]\r\n}\r\n", {{"[NUME]", "\xAA" "tefan \xDE" "ara \xBA\xFE"}}, Op::Body,
         head + crlf({"\\pard \\u536\\'aatefan \\u538\\'deara \\u537\\'ba\\u539\\'fe / "
                      "\\u536\\'aaTEFAN \\u538\\'deARA \\u536\\'aa\\u538\\'de", "}"})},
        {"the template decides the capitals; short placeholders unchanged",
         head + "\\pard [DLUI] [dlui] [Dlui] [NR] [nr]\r\n}\r\n", {{"[DLUI]", "domnului"}, {"[NR]", "12a"}}, Op::Body,
         head + crlf({"\\pard DOMNULUI domnului domnului 12a 12a", "}"})},
        {"letters with diacritics are upper-cased with the rest", head + "\\pard [LOCALITATE] [Localitate]\r\n}\r\n",
         {{"[LOCALITATE]", "bac\xE3u \xEEn \xE2rse"}}, Op::Body,
         head + crlf({"\\pard BAC\xC3U \xCEN \xC2RSE bac\xE3u \xEEn \xE2rse", "}"})},
        {"a tag added again later keeps its first value", head + "\\pard [X] [Y] [X]\\par\r\n}\r\n",
         {{"[X]", "1"}, {"[Y]", "2"}, {"[X]", "3"}}, Op::Body, head + crlf({"\\pard 1 2 1\\par", "}"})},
        {"a tag added three times in a row repeats its line", head + "\\pard\r\nrow [X] of [Y]\\par\r\n}\r\n",
         {{"[X]", "a"}, {"[X]", "b"}, {"[X]", "c"}, {"[Y]", "t"}}, Op::Body,
         head + crlf({"\\pard", "row a of t\\par", "row b of t\\par", "row c of t\\par", "}"})},
        {"two repeated tags on one line take their values together", head + "\\pard [X] [Y]\r\n}\r\n",
         {{"[X]", "a"}, {"[X]", "b"}, {"[Y]", "c"}, {"[Y]", "d"}, {"[Y]", "e"}}, Op::Body,
         head + crlf({"\\pard a c", "\\pard b d", "\\pard b e", "}"})},
        {"a repeated tag used twice on a line takes the next value each time", head + "\\pard\r\nrow [X] / [X]\\par\r\n}\r\n",
         {{"[X]", "a"}, {"[X]", "b"}, {"[X]", "c"}}, Op::Body,
         head + crlf({"\\pard", "row a / b\\par", "row c / c\\par", "}"})},
        {"a value holding its own tag is inserted once", head + "\\pard [Nume] si [Nume]\r\n}\r\n",
         {{"[NUME]", "[nume] jr"}}, Op::Body, head + crlf({"\\pard [nume] jr si [nume] jr", "}"})},
        {"header ends in the middle of the \\pard line",
         kHeader + "  \\pard\\plain Nr. [NR]\\par\r\n\\par\r\n}\r\n", {{"[NR]", "7"}}, Op::Body,
         crlf({kHeader, "\\pard\\plain Nr. 7\\par", "\\par", "}"})},
        {"a \\pard line with nothing before it adds no header line", head + "\\pard x\r\n}\r\n", {}, Op::Body,
         head + crlf({"\\pard x", "}"})},
        {"empty body lines are left out", head + "\\pard a\r\n\r\n\r\nb\r\n}\r\n", {}, Op::Body,
         head + crlf({"\\pard a", "b", "}"})},
        {"closing line keeps its text without the brace", head + "\\pard a\r\nsfarsit [NR]}\r\n", {{"[NR]", "9"}},
         Op::Body, head + crlf({"\\pard a", "sfarsit 9", "}"})},
        {"nested groups close before the document group", head + "\\pard {\\b [NR]}\r\n{\\i\r\nx}\r\n}\r\ndupa\r\n",
         {{"[NR]", "1"}}, Op::Body, head + crlf({"\\pard {\\b 1}", "{\\i", "x}", "}"})},
        {"lines without a CR", head.chopped(2) + "\n\\pard [NR]\n}\n", {{"[NR]", "5"}}, Op::Body,
         head + crlf({"\\pard 5", "}"})},
        {"second copy follows a \\page line; tags hold for every copy", head + "\\pard [NR]\r\n}\r\n",
         {{"[NR]", "3"}}, Op::TwoCopies, head + crlf({"\\pard 3", "\\page", "\\pard 3", "}"})},
        {"marker line and the rest copied without replacement",
         head + "\\pard [NUME]\\par\r\n\r\nterminoiu rest [NUME]\r\nmai [NUME]\r\n}\r\n", {{"[NUME]", "Pop"}}, Op::Marker,
         head + crlf({"\\pard POP\\par", " rest [NUME]", "mai [NUME]", "}", "}"})},
        {"without the marker the last template line is left out", head + "\\pard [NUME]\\par\r\nlinia 2\r\n}\r\n",
         {{"[NUME]", "Pop"}}, Op::Marker, head + crlf({"\\pard POP\\par", "linia 2", "}"})},
    };
}

class RtfTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

TEST_F(RtfTest, FillingRules)
{
    for (const FillCase& c : fillCases()) {
        SCOPED_TRACE(c.rule);
        const QString tpl = path(QStringLiteral("sablon.rtf"));
        const QString out = path(QStringLiteral("iesire.rtf"));
        writeFile(tpl, c.templateText);
        RtfTemplate rtf;
        rtf.setRTFSursa(tpl);
        rtf.setRTFDest(out);
        ASSERT_TRUE(rtf.BeginDocument());
        for (const auto& [tag, value] : c.tags)
            rtf.AddTag(tag, value);
        switch (c.op) {
        case Op::Body: rtf.AppendBody(1); break;
        case Op::TwoCopies: rtf.AppendBody(2); break;
        case Op::Marker: rtf.AppendBodyToMarker(QStringLiteral("terminoiu")); break;
        }
        rtf.EndDocument();
        EXPECT_EQ(readFile(out), c.expected);
    }
}

TEST_F(RtfTest, RecordsSeparatedByPageBreaksEachWithTheirOwnValues)
{
    const QString tpl = path(QStringLiteral("Dispozitie.rtf"));
    writeFile(tpl, crlf({kHeader, "\\pard Dispozitia nr. [NRDISP] pentru [Nume]\\par", "}"}));
    RtfTemplate rtf;
    rtf.setRTFSursa(tpl);
    rtf.setRTFDest(path(QStringLiteral("out.rtf")));
    ASSERT_TRUE(rtf.BeginDocument());
    rtf.AddTag(QStringLiteral("[NRDISP]"), QStringLiteral("12"));
    rtf.AddTag(QStringLiteral("[NUME]"), QString::fromUtf8("Ştefan Ţurcanu"));
    rtf.AppendBody(1);
    rtf.AppendPageBreak();
    rtf.AddTag(QStringLiteral("[NRDISP]"), QStringLiteral("13"));
    rtf.AppendBody(1); // [NUME] was not added again: the placeholder stays
    rtf.EndDocument();
    EXPECT_EQ(readFile(rtf.RTFDest()),
              crlf({kHeader, "\\pard Dispozitia nr. 12 pentru \\u536\\'aatefan \\u538\\'deurcanu\\par", " \\par \\page ",
                    "\\pard Dispozitia nr. 13 pentru [Nume]\\par", "}"}));
}

TEST_F(RtfTest, LongLinesAndLineEndsAcrossReadBlocks)
{
    // Lines longer than the 64 KB read block, and a CR LF split between two blocks.
    const QByteArray filler(70000, 'x');
    QByteArray first = kHeader + "\r\n\\pard ";
    first += QByteArray(65536 - first.size() - 1, 'y'); // the CR is the block's last byte
    const QString tpl = path(QStringLiteral("mare.rtf"));
    writeFile(tpl, first + "\r\n" + filler + "[NR]" + filler + "\r\n}\r\n");
    RtfTemplate rtf;
    rtf.setRTFSursa(tpl);
    rtf.setRTFDest(path(QStringLiteral("out.rtf")));
    ASSERT_TRUE(rtf.BeginDocument());
    rtf.AddTag(QByteArray("[NR]"), QByteArray("42"));
    rtf.AppendBody(1);
    rtf.EndDocument();
    EXPECT_EQ(readFile(rtf.RTFDest()), first.mid(kHeader.size()).prepend(kHeader) + "\r\n" + filler + "42" + filler
                                           + "\r\n}\r\n");
}

TEST_F(RtfTest, BeginDocumentRefusesUnusableTemplatesAndLeavesNoOutput)
{
    struct Row {
        const char* rule;
        const char* templateName; // nullptr: no template set
        QByteArray content;
    };
    const Row rows[] = {
        {"no template set", nullptr, {}},
        {"template missing", "lipsa.rtf", {}},
        {"empty template", "gol.rtf", ""},
        {"no \\pard line", "farapard.rtf", crlf({kHeader, "text}"})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        const QString out = path(QStringLiteral("iesire.rtf"));
        RtfTemplate rtf;
        if (row.templateName) {
            rtf.setRTFSursa(path(QString::fromLatin1(row.templateName)));
            if (row.content.data())
                writeFile(rtf.RTFSursa(), row.content);
        }
        rtf.setRTFDest(out);
        EXPECT_FALSE(rtf.BeginDocument());
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    // The template itself as output would destroy it.
    const QString tpl = path(QStringLiteral("sablon.rtf"));
    writeFile(tpl, crlf({kHeader, "\\pard x", "}"}));
    RtfTemplate rtf;
    rtf.setRTFSursa(tpl);
    rtf.setRTFDest(tpl);
    EXPECT_FALSE(rtf.BeginDocument());
    EXPECT_EQ(readFile(tpl), crlf({kHeader, "\\pard x", "}"}));
}

TEST_F(RtfTest, BodyOfATemplateWithoutPardIsRefusedAndTheOutputKept)
{
    const QString tpl = path(QStringLiteral("farapard.rtf"));
    writeFile(tpl, crlf({kHeader, "text [NR]}"}));
    const QString out = path(QStringLiteral("iesire.rtf"));
    writeFile(out, "inceput\r\n");
    RtfTemplate rtf;
    rtf.setRTFSursa(tpl);
    rtf.setRTFDest(out);
    rtf.AddTag(QByteArray("[NR]"), QByteArray("1"));
    for (int marker = 0; marker < 2; ++marker) {
        try {
            marker ? rtf.AppendBodyToMarker(QStringLiteral("terminoiu")) : rtf.AppendBody(1);
            ADD_FAILURE() << "no error";
        } catch (const RTFError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Sablonul %1 nu are nicio linie cu \\pard si nu poate fi completat!").arg(tpl));
        }
    }
    EXPECT_EQ(readFile(out), QByteArray("inceput\r\n"));
}

TEST_F(RtfTest, PickDestTakesTheFirstUsableName)
{
    const QString base = path(QStringLiteral("Dispozitie"));
    // Dispozitie0.rtf cannot be deleted (a folder with a file in it stands for a
    // document another program holds); Dispozitie1.rtf does not exist.
    QDir().mkpath(base + QStringLiteral("0.rtf/x"));
    RtfTemplate rtf;
    ASSERT_TRUE(rtf.PickDest(base));
    EXPECT_EQ(rtf.RTFDest(), base + QStringLiteral("1.rtf"));

    // An existing file that can be deleted is taken (and deleted).
    writeFile(base + QStringLiteral("1.rtf"), "vechi");
    ASSERT_TRUE(rtf.PickDest(base));
    EXPECT_EQ(rtf.RTFDest(), base + QStringLiteral("1.rtf"));
    EXPECT_FALSE(QFileInfo::exists(base + QStringLiteral("1.rtf")));

    // A document open in LibreOffice (its lock file beside it) is skipped.
    writeFile(base + QStringLiteral("1.rtf"), "deschis");
    writeFile(path(QStringLiteral(".~lock.Dispozitie1.rtf#")), "lock");
    ASSERT_TRUE(rtf.PickDest(base));
    EXPECT_EQ(rtf.RTFDest(), base + QStringLiteral("2.rtf"));
    EXPECT_EQ(readFile(base + QStringLiteral("1.rtf")), QByteArray("deschis"));

    // All 100 names unusable: false, RTFDest unchanged.
    for (int k = 2; k < 100; ++k)
        QDir().mkpath(base + QString::number(k) + QStringLiteral(".rtf/x"));
    rtf.setRTFDest(QStringLiteral("neschimbat"));
    EXPECT_FALSE(rtf.PickDest(base));
    EXPECT_EQ(rtf.RTFDest(), QStringLiteral("neschimbat"));
}

TEST_F(RtfTest, OpenDocumentChoosesWordProcessorOrShell)
{
    writeFile(path(QStringLiteral("doc.rtf")), "{\\rtf1 x}");
    writeFile(path(QStringLiteral("DOC2.DOCX")), "x");
    writeFile(path(QStringLiteral("nota.txt")), "x");
    const QString wordProcessor = QStringLiteral("/bin/true"); // stands for the word processor
    struct Row {
        const char* rule;
        QString dest;
        bool useWord;
        QString program; // HESTAVO_WORD_PROCESSOR
        const char* expected; // "word", "shell" or "" (nothing opened)
    };
    const Row rows[] = {
        {"rtf in the word processor", path(QStringLiteral("doc.rtf")), true, wordProcessor, "word"},
        {"extension in capitals", path(QStringLiteral("DOC2.DOCX")), true, wordProcessor, "word"},
        {"no word processor: the shell", path(QStringLiteral("doc.rtf")), true, path(QStringLiteral("lipsa")), "shell"},
        {"text file uses the shell", path(QStringLiteral("nota.txt")), true, wordProcessor, "shell"},
        {"option off", path(QStringLiteral("doc.rtf")), false, wordProcessor, "shell"},
        {"missing file", path(QStringLiteral("lipsa.rtf")), true, wordProcessor, ""},
        {"no folder part", QStringLiteral("doc.rtf"), true, wordProcessor, ""},
        {"empty", QString(), false, wordProcessor, ""},
    };
    testmode::enable();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.rule);
        testmode::clear();
        qputenv("HESTAVO_WORD_PROCESSOR", row.program.toLocal8Bit());
        RtfTemplate rtf;
        rtf.setRTFDest(row.dest);
        rtf.OpenDocument(row.useWord);
        const QString want = QString::fromLatin1(row.expected);
        const auto& calls = testmode::shellCalls();
        if (want.isEmpty()) {
            EXPECT_TRUE(calls.isEmpty());
            continue;
        }
        ASSERT_EQ(calls.size(), 1);
        if (want == QLatin1String("word")) {
            EXPECT_EQ(calls[0].path, wordProcessor);
            EXPECT_EQ(calls[0].arguments, QStringList{row.dest});
            EXPECT_EQ(calls[0].workFolder, m_dir.path());
        } else {
            EXPECT_EQ(calls[0].path, row.dest);
            EXPECT_TRUE(calls[0].arguments.isEmpty());
        }
    }
    testmode::disable();
    qunsetenv("HESTAVO_WORD_PROCESSOR");
}

} // namespace
