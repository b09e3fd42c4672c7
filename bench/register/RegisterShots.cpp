// Screenshots of the register, the editor with members and supplements, and
// the member and supplement dialogs, the numbering and listing dialogs, on a
// demo month, at 1366x768.
#include "bench/ScreenshotProgram.h"
#include "bench/register/DemoTown.h"
#include "data/Db.h"
#include "data/Months.h"
#include "data/Paths.h"
#include "data/Settings.h"
#include "data/Shell.h"
#include "data/TestMode.h"
#include "register/HouseholdMembers.h"
#include "register/RegisterModel.h"
#include "register/WorkingMonth.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/OpenedDocuments.h"
#include "ui/documents/DecisionListDialog.h"
#include "ui/documents/DecisionNumberingDialog.h"
#include "ui/documents/ReportNumberingDialog.h"
#include "ui/documents/ReportRangeDialog.h"
#include "ui/register/ApplicationEditor.h"
#include "ui/register/CnpEdit.h"
#include "ui/register/MemberDialog.h"
#include "ui/register/MonthCheckWindow.h"
#include "ui/register/RegisterWindow.h"
#include "ui/register/SupplementDialog.h"
#include "ui/reports/ExportMenuCommands.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The last message the program would have shown, as its dialog.
void SaveMessageShot(const QString& file)
{
    if (testmode::messages().isEmpty()) {
        std::fprintf(stderr, "no message for %s\n", qPrintable(file));
        return;
    }
    const testmode::Message& m = testmode::messages().last();
    MessageDialog dialog(m.title, m.text, m.buttons, m.kind);
    SaveShot(dialog, file);
}

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenScreen();
    QApplication app(argc, argv);
    const QString out = ScreenshotFolder(argc, argv, "register_shots");
    if (out.isEmpty())
        return 1;
    QTemporaryDir dir;
    const demodb::Summary town = MakeDemoTown(dir.path(), 400, 2);
    testmode::enable();
    hestavo::SetWorkingMonth(SerialToMonth(town.monthSerials.back()));

    RegisterWindow window;
    window.setGeometry(0, 0, 1366, 768);
    window.openList();
    SaveShot(window, out + "/register-window.png");
    window.grid->horizontalScrollBar()->setValue(window.grid->horizontalScrollBar()->maximum());
    SaveShot(window, out + "/register-window-right.png");

    // A search typed in lower case, key by key, as the clerk types it.
    for (const QChar c : QStringLiteral("pop")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_P, Qt::NoModifier, QString(c));
        QApplication::sendEvent(window.searchField, &press);
    }
    SaveShot(window, out + "/register-lower-case-search.png");
    window.searchField->clear();

    // The purge question, with the count it takes ("Nu" focused).
    testmode::clear();
    window.purgeAgainst(SerialToMonth(town.monthSerials.front()));
    SaveMessageShot(out + "/register-purge-question.png");

    ApplicationEditor& editor = ApplicationEditor::instance();
    // A new application's member list, filled while the editor is shown.
    editor.beginAdd();
    editor.applicant->setText("POPESCU ION");
    editor.show();
    editor.adjustSize();
    for (const hestavo::HouseholdMember& m :
         {hestavo::HouseholdMember{0, "POPESCU ION", "1800101123450", parseAmount("1234,56"), "beneficiar"},
          hestavo::HouseholdMember{0, "POPESCU MARIA-MAGDALENA", "2800229123459", parseAmount("980"), "partener"}}) {
        hestavo::HouseholdMembers(editor.membersTable(), editor.memberKey()).add(m);
        editor.refreshMembers();
    }
    SaveShot(editor, out + "/register-editor-add-members.png");
    editor.hide();
    editor.finish();

    // A closing message naming the file written, and one for a document the
    // desktop could not open.
    testmode::clear();
    testmode::answerChooser(dir.path() + "/persoane");
    hestavo::ExportPersonsDbfCommand(&window);
    SaveMessageShot(out + "/register-closing-message-path.png");
    testmode::clear();
    InstallOpenedDocumentNotices();
    testmode::answerShellOpen(false);
    ShellOpen(paths().tempFolder + "/TmpL226/Dispozitie0.rtf");
    SaveMessageShot(out + "/register-unopened-document.png");
    SetShellOpenWatcher(nullptr);

    editor.beginModify(window.model->keyAt(3));
    editor.adjustSize();
    SaveShot(editor, out + "/register-editor.png");

    MemberDialog& member = editor.memberDialog();
    member.setWindowTitle("Adauga membru");
    member.nameField->setText("POPESCU MARIA-MAGDALENA");
    member.cnpField->setText("2800229123459");
    member.incomeField->setText("1250.50");
    SaveShot(member, out + "/register-member.png");

    SupplementDialog& supplement = editor.supplementDialog();
    supplement.prepare('E', editor.electricity, editor.applicant->text(), editor.cnpField->text(), false,
                       editor.memberKey());
    SaveShot(supplement, out + "/register-supplement.png");
    editor.finish();

    MonthCheckWindow check(&window);
    check.refresh();
    SaveShot(check, out + "/register-month-check.png");

    DecisionNumberingDialog decisionNumbering(&window);
    SaveShot(decisionNumbering, out + "/register-decision-numbering.png");
    ReportNumberingDialog reportNumbering(&window);
    SaveShot(reportNumbering, out + "/register-report-numbering.png");
    DecisionListDialog decisionList(&window);
    SaveShot(decisionList, out + "/register-decision-list.png");
    ReportRangeDialog reportRange(&window);
    SaveShot(reportRange, out + "/register-report-range.png");
    testmode::disable();
    return 0;
}
