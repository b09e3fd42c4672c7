// The output folder of the reports: created with its parents, replaced only
// after "&Da", kept on "&Nu", and a folder that cannot be emptied reported.
#include "ui/reports/OutputFolder.h"

#include "ReportsFixture.h"
#include "data/TestMode.h"
#include "ui/common/MessageDialog.h"

#include <QFile>
#include <QFileInfo>

namespace {

class OutputFolderTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        testmode::enable();
    }
    void TearDown() override
    {
        testmode::disable();
        ReportsTest::TearDown();
    }
    QString Parent() const { return OutFolder() + "/deep/er"; }
    QString Folder() const { return Parent() + "/LEMNE_AJPIS"; }
    void MakeOldFolder() const
    {
        ASSERT_TRUE(QDir().mkpath(Folder()));
        QFile old(Folder() + "/vechi.xls");
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
};

TEST_F(OutputFolderTest, MissingFolderIsCreatedWithItsParents)
{
    EXPECT_EQ(PrepareOutputFolder(Parent(), "LEMNE_AJPIS", "Raport AJPIS"), Folder());
    EXPECT_TRUE(QFileInfo(Folder()).isDir());
    EXPECT_TRUE(testmode::messages().isEmpty());
}

TEST_F(OutputFolderTest, ExistingFolderIsReplacedOnlyAfterYes)
{
    const struct {
        Answer answer;
        bool replaced;
    } cases[] = {{Answer::Yes, true}, {Answer::No, false}};
    for (const auto& c : cases) {
        testmode::clear();
        MakeOldFolder();
        testmode::answerMessage(c.answer);
        const QString result = PrepareOutputFolder(Parent(), "LEMNE_AJPIS", "Raport AJPIS");
        EXPECT_EQ(result, c.replaced ? Folder() : QString());
        EXPECT_EQ(QFileInfo::exists(Folder() + "/vechi.xls"), !c.replaced);
        EXPECT_TRUE(QFileInfo(Folder()).isDir());
        ASSERT_EQ(testmode::messages().size(), 1);
        const testmode::Message& m = testmode::messages()[0];
        EXPECT_EQ(m.title, "Raport AJPIS");
        EXPECT_EQ(m.kind, kKindWarning);
        EXPECT_EQ(m.buttons, kOverrideQuestion) << "Enter answers Nu";
        EXPECT_EQ(m.text, "\nDirectorul " + QDir::toNativeSeparators(Folder()) + " exista deja!\nIl inlocuim?");
    }
}

// A file the system refuses to delete stands for a file another program holds open.
TEST_F(OutputFolderTest, FolderThatCannotBeEmptiedIsReported)
{
    MakeOldFolder();
    const QString held = Folder() + "/vechi.xls";
    if (QProcess::execute("chattr", {"+i", held}) != 0)
        GTEST_SKIP() << "chattr +i is not available here";
    testmode::answerMessage(Answer::Yes);
    const QString result = PrepareOutputFolder(Parent(), "LEMNE_AJPIS", "Raport Furnizori");
    QProcess::execute("chattr", {"-i", held});
    EXPECT_TRUE(result.isEmpty());
    ASSERT_EQ(testmode::messages().size(), 2);
    const testmode::Message& m = testmode::messages()[1];
    EXPECT_EQ(m.title, "Raport Furnizori");
    EXPECT_EQ(m.kind, kKindError);
    EXPECT_EQ(m.buttons, kButtonOK);
    EXPECT_EQ(m.text, "\nDirectorul " + QDir::toNativeSeparators(Folder())
                          + " nu poate fi inlocuit!\nInchideti toate fisierele deschise din el si reincercati!");
}

TEST_F(OutputFolderTest, ChooserCancelledOrAnswered)
{
    EXPECT_TRUE(ChooseOutputFolder(nullptr, "Alegeti directorul unde punem Raportul", "LEMNE_AJPIS", "Raport AJPIS")
                    .isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Folder()));
    testmode::answerChooser(Parent());
    EXPECT_EQ(ChooseOutputFolder(nullptr, "Alegeti directorul unde punem Raportul", "LEMNE_AJPIS", "Raport AJPIS"),
              Folder());
    ASSERT_EQ(testmode::choosers().size(), 2);
    EXPECT_EQ(testmode::choosers()[1].kind, "folder");
    EXPECT_EQ(testmode::choosers()[1].title, "Alegeti directorul unde punem Raportul");
}

} // namespace
