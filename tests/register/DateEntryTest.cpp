// Dates typed, pasted and emptied in every kind of date field: the editor's
// "din data" (which may be empty), the shared field of the small dialogs, the
// application-date and treasury dialogs. The keys go to the focused field.
#include "RegisterFixture.h"

#include "register/WorkingMonth.h"
#include "ui/documents/DecisionNumberingDialog.h"
#include "ui/documents/TreasuryReportDialog.h"
#include "ui/register/ApplicationDateDialog.h"
#include "ui/register/ApplicationEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>

using namespace hestavo;

namespace {

class DateEntryTest : public RegisterTest {
protected:
    void SetUp() override
    {
        RegisterTest::SetUp();
        SetWorkingMonth("12.2024");
    }
};

// A date field in its window, shown and active, holding `start`.
struct Field {
    const char* name;
    std::function<QDateEdit*(std::unique_ptr<QDialog>& owner)> open;
};

const QDate kStart(2026, 12, 11);

QDateEdit* Shown(QDialog* dialog, QDateEdit* field)
{
    field->setDate(kStart);
    dialog->show();
    QApplication::setActiveWindow(dialog);
    field->setFocus(Qt::TabFocusReason);
    return field;
}

const Field kFields[] = {
    {"editor din data",
     [](std::unique_ptr<QDialog>&) {
         ApplicationEditor& e = ApplicationEditor::instance();
         e.beginAdd();
         return Shown(&e, e.dateField);
     }},
    {"numbering date",
     [](std::unique_ptr<QDialog>& owner) {
         auto* d = new DecisionNumberingDialog;
         owner.reset(d);
         return Shown(d, d->date);
     }},
    {"application date",
     [](std::unique_ptr<QDialog>& owner) {
         auto* d = new ApplicationDateDialog;
         owner.reset(d);
         return Shown(d, d->date);
     }},
    {"treasury date",
     [](std::unique_ptr<QDialog>& owner) {
         auto* d = new TreasuryReportDialog(MonthToSerial("12.2024"));
         owner.reset(d);
         return Shown(d, d->DataV);
     }},
};

void Close(QDialog* owner)
{
    if (owner)
        return owner->hide();
    ApplicationEditor::instance().hide();
    ApplicationEditor::instance().finish();
}

} // namespace

TEST_F(DateEntryTest, ATypedOrPastedDateIsThatDate)
{
    const struct {
        const char* rule;
        const char* typed;   // typed keys; "^V" pastes `pasted`
        const char* pasted;
        QDate expected;      // invalid: the field keeps its date and says why
    } cases[] = {
        {"dots", "03.02.2025", "", QDate(2025, 2, 3)},
        {"no separators", "03022025", "", QDate(2025, 2, 3)},
        {"single digits", "3.2.2025", "", QDate(2025, 2, 3)},
        {"slashes", "03/02/2025", "", QDate(2025, 2, 3)},
        {"two-digit year", "3.2.25", "", QDate(2025, 2, 3)},
        {"pasted", "^V", " 03.02.2025 ", QDate(2025, 2, 3)},
        {"no such day", "31.02.2025", "", QDate()},
        {"half a date", "03.02", "", QDate()},
        {"letters ignored", "03.x02.2025", "", QDate(2025, 2, 3)},
    };
    for (const Field& f : kFields) {
        for (const auto& c : cases) {
            testmode::clear();
            std::unique_ptr<QDialog> owner;
            QDateEdit* field = f.open(owner);
            ASSERT_EQ(QApplication::focusWidget(), field) << f.name;
            if (QString::fromLatin1(c.typed) == "^V") {
                QApplication::clipboard()->setText(QString::fromLatin1(c.pasted));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
            } else {
                QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(c.typed));
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_NE(QApplication::focusWidget(), field) << f.name << ", " << c.rule << ": Tab leaves the field";
            const QDate expected = c.expected.isValid() ? c.expected : kStart;
            EXPECT_EQ(field->date().toString("dd.MM.yyyy"), expected.toString("dd.MM.yyyy")) << f.name << ", " << c.rule;
            EXPECT_EQ(field->text(), expected.toString("dd.MM.yyyy")) << f.name << ", " << c.rule << ": as shown";
            EXPECT_EQ(testmode::hints().size(), c.expected.isValid() ? 0 : 1) << f.name << ", " << c.rule;
            Close(owner.get());
        }
    }
}

// The editor's "no date" (its minimum date) shows as an empty field; typed
// over it gives the date, and a field emptied by the clerk is "no date" again.
TEST_F(DateEntryTest, TheEditorsEmptyDateStaysEmptyAndTakesATypedDate)
{
    ApplicationEditor& e = ApplicationEditor::instance();
    const struct {
        const char* rule;
        QDate start;        // invalid: no date
        const char* typed;  // "" = select all and Delete
        QDate expected;
    } cases[] = {
        {"typed over no date", QDate(), "05.11.2024", QDate(2024, 11, 5)},
        {"emptied", QDate(2024, 11, 5), "", QDate()},
        {"no date left alone", QDate(), nullptr, QDate()},
    };
    for (const auto& c : cases) {
        testmode::clear();
        e.beginAdd();
        e.dateField->setDate(c.start.isValid() ? c.start : e.dateField->minimumDate());
        e.show();
        QApplication::setActiveWindow(&e);
        e.dateField->setFocus(Qt::TabFocusReason);
        if (!c.start.isValid()) {
            EXPECT_TRUE(e.dateField->text().trimmed().isEmpty()) << c.rule << ": no date shows empty";
        }
        if (c.typed && *c.typed) {
            QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(c.typed));
        } else if (c.typed) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QDate stored = e.dateField->date() == e.dateField->minimumDate() ? QDate() : e.dateField->date();
        EXPECT_EQ(stored, c.expected) << c.rule;
        EXPECT_EQ(e.dateField->text().trimmed(), c.expected.toString("dd.MM.yyyy")) << c.rule;
        EXPECT_TRUE(testmode::hints().isEmpty()) << c.rule;
        e.hide();
        e.finish();
    }
}
