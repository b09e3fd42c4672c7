// Enter in the small dialogs built on the shared dialog fields: it moves from
// a field to the next one without acting, and in the last field before the
// buttons it presses the dialog's action. The keys go to the focused field.
#include "RegisterFixture.h"

#include "data/Months.h"
#include "register/WorkingMonth.h"
#include "ui/documents/DecisionListDialog.h"
#include "ui/documents/DecisionNumberingDialog.h"
#include "ui/documents/ReportNumberingDialog.h"
#include "ui/documents/ReportRangeDialog.h"
#include "ui/documents/SingleDecisionDialog.h"
#include "ui/documents/TreasuryReportDialog.h"
#include "ui/documents/VerificationSheetDialog.h"
#include "ui/register/ApplicationDateDialog.h"
#include "ui/reports/PeriodDialog.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

class DialogEnterTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        hestavo::SetWorkingMonth("11.2024");
    }
};

// The action ran: it refused at a field, said something, or closed the dialog.
bool Acted(const QDialog& dialog)
{
    return !testmode::hints().isEmpty() || !testmode::messages().isEmpty() || dialog.result() == QDialog::Accepted
        || !dialog.isVisible();
}

} // namespace

TEST_F(DialogEnterTest, EnterMovesToTheNextFieldAndActsOnTheLast)
{
    const struct {
        const char* dialog;
        std::function<QDialog*()> make;
        const char* field;   // where Enter is pressed
        const char* next;    // where the focus goes; "" = the dialog acts
    } cases[] = {
        {"numbering", [] { return new DecisionNumberingDialog; }, "FromNumber", "ToNumber"},
        {"numbering", [] { return new DecisionNumberingDialog; }, "FirstNumber", "DecisionDate"},
        {"numbering", [] { return new DecisionNumberingDialog; }, "DecisionDate", "Selection"},
        {"numbering", [] { return new DecisionNumberingDialog; }, "ClearOthers", ""},
        {"decision list", [] { return new DecisionListDialog; }, "FromNumber", "ToNumber"},
        {"decision list", [] { return new DecisionListDialog; }, "AidStart", ""},
        {"report numbering", [] { return new ReportNumberingDialog; }, "FromNumber", "ToNumber"},
        {"report numbering", [] { return new ReportNumberingDialog; }, "FirstNumber", ""},
        {"reports", [] { return new ReportRangeDialog; }, "FromNumber", "ToNumber"},
        {"reports", [] { return new ReportRangeDialog; }, "ReportDate", ""},
        {"single decision", [] { return new SingleDecisionDialog; }, "DecisionNumber", "Start"},
        {"single decision", [] { return new SingleDecisionDialog; }, "PaymentDate", "Tribunal"},
        {"single decision", [] { return new SingleDecisionDialog; }, "Tribunal", ""},
        {"report period", [] { return new PeriodDialog; }, "Data0", "Data1"},
        {"report period", [] { return new PeriodDialog; }, "Data1", ""},
        {"verification sheet",
         [] { return new VerificationSheetDialog(QDate(2024, 11, 1), QDate(2024, 11, 27)); }, "FromDate", "ToDate"},
        {"application date", [] { return new ApplicationDateDialog; }, "FromNumber", "ToNumber"},
        {"application date", [] { return new ApplicationDateDialog; }, "Date", ""},
        {"treasury", [] { return new TreasuryReportDialog(MonthToSerial("11.2024")); }, "DataV", "Cont073"},
    };
    for (const auto& c : cases) {
        testmode::clear();
        std::unique_ptr<QDialog> dialog(c.make());
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        auto* field = dialog->findChild<QWidget*>(QString::fromLatin1(c.field));
        ASSERT_NE(field, nullptr) << c.dialog << " " << c.field;
        field->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), field) << c.dialog << " " << c.field;
        // A window the action opens (the treasury's selection) is closed.
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        const bool acts = *c.next == 0;
        EXPECT_EQ(Acted(*dialog), acts) << c.dialog << ", Enter in " << c.field;
        if (!acts) {
            ASSERT_NE(QApplication::focusWidget(), nullptr) << c.dialog << " " << c.field;
            EXPECT_EQ(QApplication::focusWidget()->objectName(), c.next) << c.dialog << ", Enter in " << c.field;
        }
    }
}
