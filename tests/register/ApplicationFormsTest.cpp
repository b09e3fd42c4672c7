// The documents kept for each application: the full and short forms and the
// social inquiry, filled once from the data folder's templates and read back
// through LibreOffice; the values each box and row receives; the inquiry's
// show and delete with their messages.
#include "DocumentFixture.h"
#include "OfficeConversion.h"

#include "register/ApplicationForms.h"
#include "register/DocumentRefusal.h"
#include "ui/common/MessageDialog.h"
#include "ui/documents/ApplicationFormsActions.h"

#include <optional>

using namespace hestavo;

namespace {

const QString kMonth = QStringLiteral("11.2024");
const QDate kToday(2024, 11, 27);
constexpr int kKey = 7;

class ApplicationFormsTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        AddRow({kKey, kMonth, QStringLiteral("ŢIGĂNUŞ ŞTEFAN ION"), "1800101000011", "APROBAT", 4, 1234.5, 12});
        Set("ADRESA=\"STR. MARE NR. 7\", VENITM=411.5, SITSCOL=\"M\", STCIV=\"C\", SITPROF=\"elev\", "
            "MODPLATA=\"CEC\", SUMAL=30, FURNT=\"TERMO SA\", CODCLT=\"CL77\", COPII14=1, COPII18=1");
        AddMember(1, kKey, QStringLiteral("ŢIGĂNUŞ ŞTEFAN ION"), "1800101000011", "beneficiar");
        AddMember(2, kKey, QStringLiteral("ŢIGĂNUŞ MARIA"), "2820202000022", "partener");
        AddMember(3, kKey, "COPILU ANDREI", "5100303000033");
        AddMember(4, kKey, "COPILU BIANCA", "6120404000044");
    }
    static void Set(const QString& assignments)
    {
        Exec("UPDATE " + quotedTable("Cereri.dbf") + " SET " + assignments + " WHERE NRCRT=" + QString::number(kKey));
    }
    // More members of a role, named "ROLE NR1", "ROLE NR2" ...
    static void AddMembers(const QString& role, int count, int firstKey = 10)
    {
        for (int i = 0; i < count; ++i)
            AddMember(firstKey + i, kKey, role.toUpper() + " NR" + QString::number(i + 1), "1900101000" + QString::number(100 + i),
                      role);
    }
    // The value a placeholder prints: the first one added for it.
    static QString Value(const PageTags& tags, const QString& tag)
    {
        for (const auto& [t, v] : tags)
            if (t == tag)
                return v;
        return QStringLiteral("<none>");
    }
    static QByteArray Bytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(ApplicationFormsTest, NamesSplitIntoFamilyAndFirstNames)
{
    const struct {
        const char* full;
        OneWordName variant;
        const char* family;
        const char* given;
    } cases[] = {
        {"POPESCU ION VASILE", OneWordName::IsFamilyName, "POPESCU", "ION VASILE"},
        {"POPESCU ION VASILE", OneWordName::IsGivenName, "POPESCU", "ION VASILE"},
        {"IONESCU", OneWordName::IsFamilyName, "IONESCU", ""},
        {"IONESCU", OneWordName::IsGivenName, "", "IONESCU"},
        {"", OneWordName::IsFamilyName, "", ""},
    };
    for (const auto& c : cases) {
        const NameParts n = SplitName(QString::fromLatin1(c.full), c.variant);
        EXPECT_EQ(n.family, QString::fromLatin1(c.family)) << c.full;
        EXPECT_EQ(n.given, QString::fromLatin1(c.given)) << c.full;
    }
}

TEST_F(ApplicationFormsTest, BoxesAreTickedByTheApplicationsCodes)
{
    const struct {
        const char* assignment;
        const char* ticked;       // the one box with "X" among its group
        const char* group;        // the group's boxes
    } cases[] = {
        {"SITPROF=\"elev\"", "[P8]", "[P1] [P2] [P3] [P4] [P5] [P6] [P7] [P8]"},
        {"SITPROF=\"PENSIONAR\"", "[P2]", "[P1] [P2] [P3] [P4] [P5] [P6] [P7] [P8]"},
        {"SITPROF=\"fara venituri\"", "", "[P1] [P2] [P3] [P4] [P5] [P6] [P7] [P8]"},
        {"SITSCOL=\"S\"", "[S4]", "[S1] [S2] [S3] [S4]"},
        {"SITSCOL=\"\"", "", "[S1] [S2] [S3] [S4]"},
        {"STCIV=\"UC\"", "[C3]", "[C1] [C2] [C3] [C4] [C5] [C6]"},
        {"STCIV=\"D\"", "[C6]", "[C1] [C2] [C3] [C4] [C5] [C6]"},
        {"MODPLATA=\"CEC\"", "[M1]", "[M1] [M2]"},
        {"MODPLATA=\"OP\"", "[M2]", "[M1] [M2]"},
        {"MODPLATA=\"\"", "[M2]", "[M1] [M2]"},
        {"SUMAL=0, SUMAG=0, SUMAE=12.5, SUMAT=0", "[SE]", "[SL] [SG] [SE] [ST]"},
        {"SUMAL=0, SUMAG=0, SUMAE=0, SUMAT=0", "", "[SL] [SG] [SE] [ST] [SU]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.assignment);
        Set(QString::fromLatin1(c.assignment));
        const PageTags tags = ComposeForm(FormKind::Full, kKey, settings, kToday).tags;
        for (const QString& box : QString::fromLatin1(c.group).split(' '))
            EXPECT_EQ(Value(tags, box), box == QString::fromLatin1(c.ticked) ? "X" : " ") << box.toStdString();
    }
}

TEST_F(ApplicationFormsTest, HouseholdRowsAndTheirWarnings)
{
    PageTags tags = ComposeForm(FormKind::Full, kKey, settings, kToday).tags;
    const struct { const char* tag; const char* value; } fixture[] = {
        {"[NUMEB]", "ŢIGĂNUŞ"}, {"[PRENUMEB]", "ŞTEFAN ION"}, {"[VENITB]", "100"},
        {"[NUMEP]", "ŢIGĂNUŞ"}, {"[PRENUMEP]", "MARIA"}, {"[CNPP]", "2820202000022"},
        {"[NUMEC1]", "COPILU"}, {"[PRENUMEC2]", "BIANCA"}, {"[NUMEC3]", "-"}, {"[CNPC17]", "-"}, {"[NUMEC18]", "<none>"},
        {"[NUMEA1]", "-"}, {"[VENITA16]", "-"}, {"[NUMEA17]", "<none>"},
        {"[NR_MEMBRI]", "2"}, {"[NR_COPII]", "2"}, {"[TVENIT]", "1234.50"}, {"[VENITM]", "411.50"},
        {"[DATAAZI]", "27.11.2024"}, {"[DATACERE]", "01.11.2024"}, {"[NR_CERE]", "12"},
        {"[FURNT]", " TERMO SA"}, {"[FURNG]", " "}, {"[AI]", "X"}, {"[UAT]", "ŞIRIA"}, {"[INTOCMIT]", "ŢARĂ ELENA MARIA"},
        {"[TITULAR]", "ŢIGĂNUŞ ŞTEFAN ION"},
    };
    for (const auto& f : fixture)
        EXPECT_EQ(Value(tags, QString::fromLatin1(f.tag)), QString::fromUtf8(f.value)) << f.tag;

    // No partner: dashes. Six adults, in the order of their names: the
    // fifth and sixth have their rows, and the adults' two warnings are given.
    Exec("DELETE FROM " + quotedTable("Oameni.dbf") + " WHERE CALITATE=\"partener\"");
    AddMembers("adult", 5);
    AddMember(30, kKey, "AAA PRIMUL", "1700101000077", "adult");
    const FormContent form = ComposeForm(FormKind::Full, kKey, settings, kToday);
    for (const char* tag : {"[NUMEP]", "[PRENUMEP]", "[CNPP]", "[VENITP]"})
        EXPECT_EQ(Value(form.tags, QString::fromLatin1(tag)), "-") << tag;
    EXPECT_EQ(Value(form.tags, "[NUMEA1]"), "AAA");
    EXPECT_EQ(Value(form.tags, "[CNPA1]"), "1700101000077");
    EXPECT_EQ(Value(form.tags, "[NUMEA6]"), "ADULT");
    EXPECT_EQ(Value(form.tags, "[PRENUMEA6]"), "NR5");
    EXPECT_EQ(Value(form.tags, "[NUMEA7]"), "-");
    ASSERT_EQ(form.warnings.size(), 2);
    EXPECT_EQ(form.warnings[0], "ATENTIE!!\rSunt mai mult de patru adulti!\rVerificati adultii de pe formular!");
    EXPECT_EQ(form.warnings[1],
              "ATENTIE!!\rSunt mai mult de patru Alte pers.indreptatite!\rVerificati Alte persoane indreptatite!");
    AddMembers("copil", 9, 40);  // eleven children
    EXPECT_EQ(ComposeForm(FormKind::Full, kKey, settings, kToday).warnings.value(1),
              "ATENTIE!!\rSunt mai mult de zece copii!\rVerificati copiii de pe formular!");
}

TEST_F(ApplicationFormsTest, MoreThanFourChildrenTakeTheLargerFullForm)
{
    const struct {
        int moreChildren;   // beside the fixture's two
        FormKind kind;
        const char* model;
    } cases[] = {
        {1, FormKind::Full, "ModCerere.rtf"},
        {2, FormKind::Full, "ModCerere.rtf"},
        {3, FormKind::Full, "ModCerere10c.rtf"},
        {3, FormKind::Short, "ModCerereS.rtf"},
        {3, FormKind::Inquiry, "ModelAncheta2.rtf"},
    };
    int nextKey = 20;
    int added = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        for (; added < c.moreChildren; ++added)
            AddMember(nextKey++, kKey, "FRATE NR" + QString::number(added + 3), "5150505000" + QString::number(100 + added));
        EXPECT_EQ(ComposeForm(c.kind, kKey, settings, kToday).templateFile, QString::fromLatin1(c.model));
    }
    // The fifth child is printed: only the larger form has its row.
    const FormOutcome outcome = PrepareForm(FormKind::Full, kKey, settings, kToday);
    ASSERT_TRUE(outcome.written);
    EXPECT_TRUE(Bytes(outcome.path).contains("NR5")) << "the fifth child's row";
}

TEST_F(ApplicationFormsTest, FormsReadBackWithTheHouseholdsValues)
{
    if (!HaveLibreOffice())
        GTEST_SKIP() << "LibreOffice not installed";
    const QStringList common{QStringLiteral("ŢIGĂNUŞ"), QStringLiteral("ŞTEFAN ION"), QStringLiteral("1800101000011"),
                             QStringLiteral("01.11.2024"), QStringLiteral("1234.50"), QStringLiteral("ARAD"),
                             QStringLiteral("ŞIRIA"), QStringLiteral("STR. MARE NR. 7")};
    const struct {
        FormKind kind;
        const char* file;
        QStringList values;
    } cases[] = {
        {FormKind::Full, "C7.rtf",
         {QStringLiteral("411.50"), QStringLiteral("MARIA"), QStringLiteral("2820202000022"), QStringLiteral("ANDREI"),
          QStringLiteral("6120404000044"), QStringLiteral("TERMO SA"), QStringLiteral("CL77")}},
        {FormKind::Short, "CS7.rtf", {QStringLiteral("TERMO SA"), QStringLiteral("CL77")}},
        {FormKind::Inquiry, "A7.rtf",
         {QStringLiteral("27.11.2024"), QStringLiteral("ŢARĂ ELENA"), QStringLiteral("MARIA"),
          QStringLiteral("Titularul cererii: ŢIGĂNUŞ ŞTEFAN ION"), QStringLiteral("12")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const FormOutcome outcome = PrepareForm(c.kind, kKey, settings, kToday);
        EXPECT_EQ(outcome.path, DataFile(QString::fromLatin1(c.file)));
        ASSERT_TRUE(outcome.written);
        const QString text = DocumentText(outcome.path);
        ASSERT_FALSE(text.isEmpty());
        EXPECT_EQ(RawPlaceholder(text), QString());
        // The documents print s and t with comma below, whichever form the data hold.
        for (QString value : common + c.values)
            EXPECT_TRUE(text.contains(value.replace(QChar(0x015E), QChar(0x0218)).replace(QChar(0x0162), QChar(0x021A))))
                << value.toStdString();
    }
}

TEST_F(ApplicationFormsTest, AnExistingFormIsOnlyOpenedAgain)
{
    const FormOutcome first = PrepareForm(FormKind::Short, kKey, settings, kToday);
    ASSERT_TRUE(first.written);
    {
        QFile f(first.path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("{\\par EDITAT DE FUNCTIONAR}\r\n");
    }
    const QByteArray edited = Bytes(first.path);
    Set("TITULAR=\"ALT NUME\"");  // the application changed since
    testmode::clear();
    ListApplicationForm(FormKind::Short, kKey);
    EXPECT_EQ(Bytes(first.path), edited);
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(testmode::shellCalls()[0].path, first.path);
    EXPECT_TRUE(testmode::messages().isEmpty());
    EXPECT_FALSE(PrepareForm(FormKind::Short, kKey, settings, kToday).written);
}

TEST_F(ApplicationFormsTest, RefusalsWriteNothing)
{
    QFile::remove(EditableTemplatePath(*FindEditableTemplate("ModCerereS.rtf")));
    const struct {
        const char* what;
        FormKind kind;
        qint64 application;
        QString message;
    } cases[] = {
        {"missing template", FormKind::Short, kKey, "Nu exista modelul " + DataFile("ModCerereS.rtf") + "!"},
        {"application gone", FormKind::Full, 99, QStringLiteral("\rCererea nu mai exista in registru!")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            PrepareForm(c.kind, c.application, settings, kToday);
            ADD_FAILURE() << "no refusal";
        } catch (const DocumentRefusal& r) {
            EXPECT_EQ(r.title(), "Cerere/Ancheta");
            EXPECT_EQ(r.text(), c.message);
        }
        EXPECT_EQ(QDir(paths().dataFolder).entryList({"C*.rtf*"}), QStringList());
        testmode::clear();
        ListApplicationForm(c.kind, c.application);
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].text, c.message);
        EXPECT_TRUE(testmode::shellCalls().isEmpty());
    }
}

TEST_F(ApplicationFormsTest, FillWarningsAreShownThenTheFormOpensInTheWordProcessorWhenChosen)
{
    AddMembers("adult", 5);
    settings.cuOle = true;
    StoreAdminSettings(settings);
    qputenv("HESTAVO_WORD_PROCESSOR", "/bin/true");
    testmode::clear();
    ListApplicationForm(FormKind::Full, kKey);
    qunsetenv("HESTAVO_WORD_PROCESSOR");
    ASSERT_EQ(testmode::messages().size(), 2);
    for (const testmode::Message& m : testmode::messages()) {
        EXPECT_EQ(m.title, "Cerere/Ancheta");
        EXPECT_EQ(m.kind, kKindWarning);
    }
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_EQ(testmode::shellCalls()[0].path, "/bin/true");
    EXPECT_TRUE(testmode::shellCalls()[0].arguments.contains(DataFile("C7.rtf")));
}

TEST_F(ApplicationFormsTest, InquiryShowAndDeleteAskAndExplain)
{
    const QString inquiry = DataFile("A7.rtf");
    const QString lock = DataFile(".~lock.A7.rtf#");
    const struct {
        const char* step;
        std::function<void()> before;
        std::function<void()> command;
        std::optional<Answer> answer;   // scripted answer to the question, if one
        QStringList messages;       // title: text of each message, in order
        bool fileAfter;
        bool opened;
    } steps[] = {
        {"show without inquiry", {}, [] { ShowInquiry(kKey); }, {},
         {"Arata Ancheta: \rLa aceasta Cerere, nu aveti Ancheta!\rApasati mai intai butonul Adauga!"}, false, false},
        {"delete without inquiry", {}, [] { AskDeleteInquiry(kKey); }, {},
         {"Stergere Ancheta: \rLa aceasta Cerere nu aveti Ancheta!"}, false, false},
        {"add", {}, [] { ListApplicationForm(FormKind::Inquiry, kKey); }, {}, {}, true, true},
        {"show", {}, [] { ShowInquiry(kKey); }, {}, {}, true, true},
        {"delete answered Nu", {}, [] { AskDeleteInquiry(kKey); }, Answer::No,
         {"Stergere Ancheta: Vreti sa stergeti ancheta?"}, true, false},
        {"delete while open in a word processor", [&] { QFile(lock).open(QIODevice::WriteOnly); },
         [] { AskDeleteInquiry(kKey); }, Answer::Yes,
         {"Stergere Ancheta: Vreti sa stergeti ancheta?", "Stergere Ancheta: \rAncheta este deschisa! N-o pot sterge!"},
         true, false},
        {"delete answered Da", [&] { QFile::remove(lock); }, [] { AskDeleteInquiry(kKey); }, Answer::Yes,
         {"Stergere Ancheta: Vreti sa stergeti ancheta?"}, false, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        if (s.before)
            s.before();
        testmode::clear();
        if (s.answer)
            testmode::answerMessage(*s.answer);
        s.command();
        QStringList shown;
        for (const testmode::Message& m : testmode::messages())
            shown << m.title + ": " + m.text;
        EXPECT_EQ(shown, s.messages);
        EXPECT_EQ(QFile::exists(inquiry), s.fileAfter);
        EXPECT_EQ(!testmode::shellCalls().isEmpty() && testmode::shellCalls()[0].path == inquiry, s.opened);
    }
}

} // namespace
