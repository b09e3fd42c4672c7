// The treasury report: the payment file's bytes and records, both annexes and
// the text summary, read by independent readers and checked against sums of
// the month computed apart from the program; refusals and the replacement of
// an earlier report.
#include "PaymentFixture.h"

#include "data/TestMode.h"
#include "documents/OutputError.h"
#include "documents/TreasuryReport.h"
#include "ui/admin/AdministrationWindow.h"
#include "ui/common/MessageDialog.h"
#include "ui/documents/PaymentListDialog.h"
#include "ui/documents/TreasuryReportDialog.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <functional>

namespace {

// Sums of the month straight from Cereri.dbf (dbfread): count and hundredths
// of TOTAL > 0 and SUMAL > 0 of the approved or modified applications.
const char* kMonthSums =
    "import sys, dbfread\n"
    "rows = [r for r in dbfread.DBF(sys.argv[1], encoding='cp1250') if r['LUNACRT'] == int(sys.argv[2])"
    " and (r['STATUT'] or '').strip() in ('APROBAT', 'MODIFICAT')]\n"
    "for col in ('TOTAL', 'SUMAL'):\n"
    "    v = [round((r[col] or 0) * 100) for r in rows if (r[col] or 0) > 0]\n"
    "    print(len(v), sum(v))\n";

// The payment file through dbfread: header facts, then per code the count
// and hundredths, then the names.
const char* kPaymentFile =
    "import sys, dbfread\n"
    "t = dbfread.DBF(sys.argv[1], encoding='cp1252')\n"
    "print(hex(t.header.dbversion), t.header.headerlen, t.header.recordlen, len(t.fields))\n"
    "for code in ('073', '074'):\n"
    "    v = [round(r['SUMA'] * 100) for r in t if r['CODAJUT'] == code]\n"
    "    print(code, len(v), sum(v))\n"
    "print('|'.join(r['NUMEPREN'] + ' ' + r['CODJUD'] + ' ' + r['CODFISC'] + ' ' + str(r['NRPERS']) + ' '"
    " + str(r['DTPLATCRT']) for r in t))\n";

// Annex 2 through xlrd: the [NRPERS] cell, the data rows' count and
// hundredths, the first name.
const char* kAnnex2 =
    "import sys, xlrd\n"
    "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
    "rows = [r for r in range(s.nrows) if isinstance(s.cell_value(r, 0), float) and s.cell_value(r, 1) != 2.0]\n"
    "print(int(s.cell_value(5, 3)), len(rows), sum(round(s.cell_value(r, 4) * 100) for r in rows), s.cell_value(rows[0], 1))\n"
    "print(s.cell_value(0, 0) + '|' + s.cell_value(3, 0) + '|' + s.cell_value(4, 0))\n";

} // namespace

class TreasuryReportTest : public PaymentTest {
protected:
    QString Out() const { return m_dir.path() + "/out"; }
    void SetUp() override
    {
        PaymentTest::SetUp();
        QDir().mkpath(Out());
    }
    static QString Read(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }
};

TEST_F(TreasuryReportTest, BothAccountsAgreeWithTheMonthInEveryOutput)
{
    const QDate payday(2022, 3, 5);
    const TreasuryResult result = MakeTreasuryReport(Month(), {payday, true, true, {}}, Out());
    const QString folder = Out() + "/Lemne_Trezorerie";
    ASSERT_EQ(result.folder, folder);
    const QString dbf = folder + "/011234567890_05-03-2022.dbf";
    QStringList names;
    for (const TreasuryFile& f : result.files)
        names << QFileInfo(f.path).fileName();
    EXPECT_EQ(names, QStringList({"011234567890_05-03-2022.dbf", "Anexa2_Ajutor_Lemne.xls", "Anexa2_Supliment_Lemne.xls",
                                  "Anexa3_Ajutor_Lemne.rtf", "Anexa3_Supliment_Lemne.rtf",
                                  "StatTo_011234567890_05-03-2022.txt"}));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name).size(), 6);
    EXPECT_EQ(QDir(Out()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"Lemne_Trezorerie"}))
        << "the fresh folder is gone once moved into place";
    EXPECT_EQ(ReadSetting("CONST", "DATAV"), "05.03.2022");

    // The month's own sums, computed by an independent reader.
    EXPECT_EQ(Python(kMonthSums, {tableFile("Cereri.dbf"), QString::number(Month())}), "3 288075\n2 35085");

    // The payment file: Visual FoxPro header, one record per payment, the same sums.
    EXPECT_EQ(Python(kPaymentFile, {dbf}),
              "0x30 584 117 9\n073 3 288075\n074 2 35085\n"
              "POPESCU ION 1 1234567890 3 2022-03-05|SERBAN ANA-MARIA 1 1234567890 2 2022-03-05|"
              "ZAMFIR DAN 1 1234567890 4 2022-03-05|IONESCU MIHAI 1 1234567890 1 2022-03-05|"
              "SERBAN ANA-MARIA 1 1234567890 2 2022-03-05");
    QFile file(dbf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.size(), 584 + 5 * 117 + 1);
    EXPECT_EQ(quint8(bytes[0]), 0x30);
    EXPECT_EQ(quint8(bytes[29]), 0x03);
    EXPECT_EQ(bytes.mid(584 + 117, 117),
              QByteArray(" 1 1234567890" "2900202223344" "073" "SERBAN ANA-MARIA") + QByteArray(44, ' ')
                  + " 2" "    960.25" "20220305" "20220305");

    // Annex 2 of each account: the count marker, the rows and their sum.
    EXPECT_EQ(Python(kAnnex2, {folder + "/Anexa2_Ajutor_Lemne.xls"}),
              "3 3 288075 POPESCU ION\n"
              "JUDETUL: 1234567890  JUDETUL ALBA|SITUATIA 073 - Ajutorul pentru incalzirea locuintei combustibili "
              "solizi/petrolieri - Legea nr.226/2021, art. 6 alin.(2) lit.d) |care se virează in ziua 05 luna 03 anul 2022");
    EXPECT_EQ(Python(kAnnex2, {folder + "/Anexa2_Supliment_Lemne.xls"}).section('\n', 0, 0), "2 2 35085 IONESCU MIHAI");

    // The summary: one line per code and a total that is their exact sum.
    const QStringList summary = Read(folder + "/StatTo_011234567890_05-03-2022.txt").split("\r\n");
    ASSERT_GE(summary.size(), 12);
    EXPECT_EQ(summary[0], " 1 1234567890    COMUNA SAT NOU");
    EXPECT_EQ(summary[1], " Data Trezor:  05-03-2022");
    EXPECT_EQ(summary[7], " 073           3        2880.75   -073 - Ajutorul pentru incalzirea locuintei combustibili "
                          "solizi/petrolieri - Legea nr.226/2021, art. 6 alin.(2) lit.d) ");
    EXPECT_EQ(summary[8].left(31), " 074           2         350.85");
    EXPECT_EQ(summary[10], " Total:        5        3231.60");

    // Annex 3 as LibreOffice reads it: CEC and OP groups add up to the account.
    ASSERT_TRUE(Convert("txt:Text", {folder + "/Anexa3_Ajutor_Lemne.rtf", folder + "/Anexa3_Supliment_Lemne.rtf"},
                        m_dir.path() + "/txt"));
    const QString annex3 = Read(m_dir.path() + "/txt/Anexa3_Ajutor_Lemne.txt");
    const QString groups = Python("import sys\n"
                                  "l = [x.strip() for x in open(sys.argv[1], encoding='utf-8-sig').read().splitlines() if x.strip()]\n"
                                  "for key in ('Mandat', 'Virament', 'TOTAL'):\n"
                                  "    i = [n for n, x in enumerate(l) if x.startswith(key)][-1]\n"
                                  "    print(l[i + 1], l[i + 2])\n",
                                  {m_dir.path() + "/txt/Anexa3_Ajutor_Lemne.txt"});
    EXPECT_EQ(groups, "2 1920.50\n1 960.25\n3 2880.75") << annex3.toStdString();
    EXPECT_TRUE(annex3.contains("a sumelor virate pentru plata ajutorului pentru incalzirea locuintei cu combustibili "
                                "solizi/petrolieri - Legea nr.226/2021"))
        << annex3.toStdString();
    const QString supplement = Python("import sys\n"
                                      "l = [x.strip() for x in open(sys.argv[1], encoding='utf-8-sig').read().splitlines() if x.strip()]\n"
                                      "i = [n for n, x in enumerate(l) if x.startswith('TOTAL')][-1]\n"
                                      "print(l[i + 1], l[i + 2])\n",
                                      {m_dir.path() + "/txt/Anexa3_Supliment_Lemne.txt"});
    EXPECT_EQ(supplement, "2 350.85");
}

TEST_F(TreasuryReportTest, ChoicesNarrowTheOutputs)
{
    const struct {
        const char* name;
        bool a073, a074;
        PaymentSelection selection;
        QStringList files;
        const char* firstSummaryLine;  // line 8
    } cases[] = {
        {"only 074", false, true, {}, {"011234567890_05-03-2022.dbf", "Anexa2_Supliment_Lemne.xls", "Anexa3_Supliment_Lemne.rtf",
                                       "StatTo_011234567890_05-03-2022.txt"}, " 074           2         350.85"},
        {"locality SAT B", true, true, {"SAT B", u'A', u'Z'}, {}, " 073           2        1280.25"},
        {"names A to M", false, true, {{}, u'A', u'M'}, {}, " 074           1         150.10"},
        {"names P to R", true, false, {{}, u'P', u'R'}, {}, " 073           1        1600.50"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TreasuryResult r = MakeTreasuryReport(Month(), {QDate(2022, 3, 5), c.a073, c.a074, c.selection}, Out());
        if (!c.files.isEmpty()) {
            EXPECT_EQ(QDir(r.folder).entryList(QDir::Files, QDir::Name), c.files);
        }
        const QStringList summary = Read(r.folder + "/StatTo_011234567890_05-03-2022.txt").split("\r\n");
        EXPECT_EQ(summary.value(7).left(31), QString(c.firstSummaryLine));
    }
}

TEST_F(TreasuryReportTest, RefusalsLeaveTheEarlierReportInPlace)
{
    MakeTreasuryReport(Month(), {QDate(2022, 3, 5), true, true, {}}, Out());
    const QString folder = Out() + "/Lemne_Trezorerie";
    const QString dbf = folder + "/011234567890_05-03-2022.dbf";
    const QByteArray before = [&] { QFile f(dbf); f.open(QIODevice::ReadOnly); return f.readAll(); }();

    // An annex held open by LibreOffice (its lock file beside it): named, nothing replaced.
    QFile lock(folder + "/.~lock.Anexa2_Ajutor_Lemne.xls#");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    try {
        MakeTreasuryReport(Month(), {QDate(2022, 4, 6), true, true, {}}, Out());
        ADD_FAILURE() << "replaced a folder with an open file";
    } catch (const OutputError& e) {
        EXPECT_EQ(e.message(), "\rFisierul " + folder + "/Anexa2_Ajutor_Lemne.xls este deschis in alt program!"
                                                        "\rInchideti-l si reincercati! Nu am inlocuit nimic.");
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "/011234567890_06-04-2022.dbf"));
    EXPECT_EQ([&] { QFile f(dbf); f.open(QIODevice::ReadOnly); return f.readAll(); }(), before);
    EXPECT_EQ(QDir(Out()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"Lemne_Trezorerie"}));
    QFile::remove(lock.fileName());

    EXPECT_EQ(ReadSetting("CONST", "DATAV"), "05.03.2022") << "a refused run keeps the date of the last report";
    // The folder opens for the other users of a shared folder, as one made
    // by hand beside it does.
    ASSERT_TRUE(QDir(Out()).mkdir("facut-de-mana"));
    EXPECT_EQ(QFileInfo(folder).permissions(), QFileInfo(Out() + "/facut-de-mana").permissions());
    QDir(Out()).rmdir("facut-de-mana");

    // No account, an empty month: refused before anything is written.
    EXPECT_THROW(MakeTreasuryReport(Month(), {QDate(2022, 4, 6), false, false, {}}, Out()), OutputError);
    try {
        MakeTreasuryReport(MonthToSerial("01.2025"), {QDate(2022, 4, 6), true, true, {}}, Out());
        ADD_FAILURE() << "empty month accepted";
    } catch (const OutputError& e) {
        EXPECT_EQ(e.message(), "\rNu exista sume de plata in luna de lucru pentru selectia aleasa!");
    }
    EXPECT_EQ([&] { QFile f(dbf); f.open(QIODevice::ReadOnly); return f.readAll(); }(), before);

    // A new run replaces the whole folder: the old payment file is gone.
    MakeTreasuryReport(Month(), {QDate(2022, 4, 6), true, false, {}}, Out());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
              QStringList({"011234567890_06-04-2022.dbf", "Anexa2_Ajutor_Lemne.xls", "Anexa3_Ajutor_Lemne.rtf",
                           "StatTo_011234567890_06-04-2022.txt"}));
}

TEST_F(TreasuryReportTest, DialogRefusesNoAccountAndAsksBeforeReplacing)
{
    TreasuryReportDialog dialog(Month());
    EXPECT_EQ(dialog.DataV->date(), QDate::currentDate());
    dialog.Cont073->setChecked(false);
    dialog.Cont074->setChecked(false);
    dialog.createReport();
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, "Nu ati ales niciun cont!");
    EXPECT_EQ(testmode::hints()[0].control, "Cont073");

    // With a folder that exists, "Nu" to the question keeps it and the dialog open.
    MakeTreasuryReport(Month(), {QDate(2022, 3, 5), true, true, {}}, Out());
    dialog.Cont073->setChecked(true);
    QTimer::singleShot(0, [] { PaymentListDialog::instance().confirm(); });
    testmode::answerChooser(Out());
    testmode::answerMessage(Answer::No);
    dialog.createReport();
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().text,
              "\rDirectorul " + QDir::toNativeSeparators(Out() + "/Lemne_Trezorerie") + " exista!\rIl inlocuim?");
    EXPECT_EQ(testmode::choosers().last().title, "Unde punem Raportarea?");
    EXPECT_TRUE(QFileInfo::exists(Out() + "/Lemne_Trezorerie/011234567890_05-03-2022.dbf"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(TreasuryReportTest, MainWindowCommandChecksSettingsThenWritesTheReport)
{
    MainWindow main;
    main.Unlock();
    hestavo::SetWorkingMonth("12.2024");  // into the main window's own label
    QAction* item = nullptr;
    for (QAction* a : main.PopupMenu1->actions())
        if (a->text() == "Raport Trezorerie")
            item = a;
    ASSERT_NE(item, nullptr);

    // Settings incomplete: the check's error, then the administration window.
    hestavo::AdminSettings incomplete = hestavo::AdminValues();
    const hestavo::AdminSettings complete = incomplete;
    incomplete.sirues.clear();
    hestavo::SetAdminValues(incomplete);
    bool administration = false;
    QTimer::singleShot(0, [&] {
        if (auto* form = main.findChild<AdministrationWindow*>()) {
            administration = form->isVisible();
            form->reject();
        }
    });
    item->trigger();
    EXPECT_TRUE(administration);
    ASSERT_FALSE(testmode::messages().isEmpty());
    EXPECT_EQ(testmode::messages().last().title, "Raport AJPIS");
    EXPECT_FALSE(QFileInfo::exists(Out() + "/Lemne_Trezorerie"));

    // Complete: the dialog, the selection, the folder; the report is written
    // and its folder handed to the desktop.
    hestavo::SetAdminValues(complete);
    testmode::answerChooser(Out());
    bool shown = false;
    std::function<void()> whenShown = [&] {
        auto* dialog = main.findChild<TreasuryReportDialog*>();
        if (!dialog || !dialog->isVisible()) {
            if (auto* form = main.findChild<AdministrationWindow*>(); form && form->isVisible()) {
                ADD_FAILURE() << testmode::messages().last().text.toStdString();
                return form->reject();
            }
            return QTimer::singleShot(10, whenShown);
        }
        shown = true;
        dialog->DataV->setDate(QDate(2022, 3, 5));
        QTimer::singleShot(0, [] { PaymentListDialog::instance().confirm(); });
        dialog->createReport();
        if (dialog->isVisible())
            dialog->reject();
    };
    QTimer::singleShot(0, whenShown);
    item->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(QFileInfo::exists(Out() + "/Lemne_Trezorerie/011234567890_05-03-2022.dbf"));
    ASSERT_FALSE(testmode::shellCalls().isEmpty());
    EXPECT_EQ(testmode::shellCalls().last().path, Out() + "/Lemne_Trezorerie");
}
