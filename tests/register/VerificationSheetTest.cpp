// The field verification sheet read back through LibreOffice, its period
// dialog, and the register's buttons and menu items that lead to the
// application's documents.
#include "DocumentFixture.h"
#include "OfficeConversion.h"

#include "register/DocumentRefusal.h"
#include "register/RegisterModel.h"
#include "register/VerificationSheet.h"
#include "ui/common/MessageDialog.h"
#include "ui/documents/VerificationSheetDialog.h"
#include "ui/register/RegisterWindow.h"

#include <QApplication>
#include <QDateEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace hestavo;

namespace {

class VerificationSheetTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        SetWorkingMonth("11.2024");
        AddRow({3, "11.2024", QStringLiteral("ŞERBAN ŢICU"), "1800101000011", "APROBAT", 2, 400, 41});
        AddRow({4, "11.2024", QStringLiteral("IONESCU"), "2800101000022", "APROBAT", 2, 400, 42});
    }
    // Runs `command`, which opens a modal dialog, and hands the dialog to `use`.
    static void WithModal(const std::function<void()>& command, const std::function<void(QWidget*)>& use)
    {
        QTimer::singleShot(0, [use] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            use(modal);
        });
        command();
    }
};

TEST_F(VerificationSheetTest, SheetReadsBackWithTheNamesSplitAndThePeriod)
{
    if (!HaveLibreOffice())
        GTEST_SKIP() << "LibreOffice not installed";
    QTemporaryDir out;
    const struct {
        int key;
        QStringList values;
    } cases[] = {
        {3, {QStringLiteral("ŞERBAN"), QStringLiteral("ŢICU"), QStringLiteral("41"), QStringLiteral("01.11.2024"),
             QStringLiteral("ŢARĂ ELENA MARIA"), QStringLiteral("ELENA MARIA"), QStringLiteral("27.11.2024"),
             QStringLiteral("01.10.2024 - 26.11.2024"), QStringLiteral("PRIMĂRIA COMUNEI ŞIRIA")}},
        // A one-word name is all first names: the family name prints as dots.
        {4, {QStringLiteral("IONESCU"), QStringLiteral("..........")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const QString rtf = out.filePath(QStringLiteral("FisaV%1.rtf").arg(c.key));
        WriteVerificationSheet({c.key, QDate(2024, 10, 1), QDate(2024, 11, 26)}, settings, QDate(2024, 11, 27), rtf);
        const QString text = DocumentText(rtf);
        ASSERT_FALSE(text.isEmpty());
        EXPECT_EQ(RawPlaceholder(text), QString());
        // The documents print s and t with comma below, whichever form the data hold.
        for (QString value : c.values)
            EXPECT_TRUE(text.contains(value.replace(QChar(0x015E), QChar(0x0218)).replace(QChar(0x0162), QChar(0x021A))))
                << value.toStdString();
    }
    EXPECT_EQ(PdfPages(ConvertDocument(out.filePath("FisaV3.rtf"), "pdf", "pdf")), 1);
}

TEST_F(VerificationSheetTest, WithoutItsTemplateNoSheetIsWritten)
{
    QFile::remove(EditableTemplatePath(*FindEditableTemplate("FisaV.rtf")));
    QTemporaryDir out;
    const QString rtf = out.filePath("FisaV.rtf");
    try {
        WriteVerificationSheet({3, QDate(2024, 10, 1), QDate(2024, 11, 26)}, settings, QDate(2024, 11, 27), rtf);
        ADD_FAILURE() << "no refusal";
    } catch (const DocumentRefusal& r) {
        EXPECT_EQ(r.text(), "Nu exista modelul " + DataFile("FisaV.rtf") + "!");
    }
    EXPECT_FALSE(QFile::exists(rtf));
}

TEST_F(VerificationSheetTest, PeriodDialogMovesOnWithEnterAndRefusesAReversedPeriod)
{
    VerificationSheetDialog dialog(QDate(2024, 11, 1), QDate(2024, 11, 27));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.fromDate->setFocus();
    QTest::keyClick(dialog.fromDate, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dialog.toDate);
    EXPECT_TRUE(dialog.isVisible()) << "Enter in a field does not list";
    // Where the developer looks at the dialog.
    QDir().mkpath(QDir::tempPath() + "/hestavo-shots");
    EXPECT_TRUE(dialog.grab().save(QDir::tempPath() + "/hestavo-shots/verification-period.png"));
    dialog.toDate->setDate(QDate(2024, 10, 1));
    testmode::clear();
    dialog.findChild<QPushButton*>("List")->click();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Interval incorect!");
    EXPECT_EQ(testmode::hints()[0].control, "FromDate");
    EXPECT_EQ(dialog.result(), 0);
    dialog.toDate->setDate(QDate(2024, 11, 1));
    dialog.findChild<QPushButton*>("List")->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
}

TEST_F(VerificationSheetTest, RegisterControlsLeadToTheDocuments)
{
    settings.cuOle = true;  // the sheet is opened by the desktop all the same
    StoreAdminSettings(settings);
    RegisterWindow window;
    window.openList();
    window.grid->setCurrentIndex(window.model->index(window.model->rowOfKey(3), 0));
    ASSERT_EQ(window.currentKey(), 3);

    testmode::clear();
    WithModal([&] { window.findChild<QPushButton*>("VerificationSheet")->click(); },
              [](QWidget* dialog) {
                  auto* sheet = qobject_cast<VerificationSheetDialog*>(dialog);
                  ASSERT_NE(sheet, nullptr);
                  EXPECT_EQ(sheet->fromDate->date(), QDate(2024, 11, 1)) << "starts at the application's date";
                  EXPECT_EQ(sheet->toDate->date(), QDate::currentDate());
                  sheet->findChild<QPushButton*>("List")->click();
              });
    ASSERT_EQ(testmode::shellCalls().size(), 1);
    EXPECT_TRUE(testmode::shellCalls()[0].arguments.isEmpty()) << "the desktop opens it, not the word processor";
    EXPECT_TRUE(QFileInfo(testmode::shellCalls()[0].path).fileName().startsWith("FisaV"));
    EXPECT_TRUE(testmode::messages().isEmpty());

    settings.cuOle = false;
    StoreAdminSettings(settings);
    const struct {
        const char* control;   // button, or menu item of "Listeaza cerere"
        const char* file;      // the data-folder file opened
    } controls[] = {{"Anexa 26", "C3.rtf"}, {"Anexa 2 - Forma prescurtata", "CS3.rtf"}, {"InquiryAdd", "A3.rtf"},
                    {"InquiryShow", "A3.rtf"}};
    for (const auto& c : controls) {
        SCOPED_TRACE(c.control);
        testmode::clear();
        if (auto* button = window.findChild<QPushButton*>(c.control)) {
            button->click();
        } else {
            QMenu* forms = window.findChild<QPushButton*>("ListApplication")->menu();
            for (QAction* item : forms->actions())
                if (item->text() == QString::fromLatin1(c.control))
                    item->trigger();
        }
        ASSERT_EQ(testmode::shellCalls().size(), 1);
        EXPECT_EQ(testmode::shellCalls()[0].path, DataFile(QString::fromLatin1(c.file)));
    }
    testmode::clear();
    testmode::answerMessage(Answer::Yes);
    window.findChild<QPushButton*>("InquiryDelete")->click();
    EXPECT_FALSE(QFile::exists(DataFile("A3.rtf")));
    for (const testmode::Message& m : testmode::messages())
        EXPECT_NE(m.text, "Comanda nu este inca disponibila.");
}

} // namespace
