// The main window: unlock, close decision, keys, log viewer and screenshots;
// and the single running instance.
#include "Fixture.h"

#include "backup/Passwords.h"
#include "data/Files.h"
#include "data/Settings.h"
#include "ui/common/BandedHeader.h"
#include "ui/common/ComboFill.h"
#include "ui/common/MessageDialog.h"
#include "ui/main/AuditLogWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SingleInstance.h"
#include "ui/main/Startup.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

// After the unlock "Administrare" opens the administration window modally;
// these tests close it as the user would, once it shows.
static void CloseAdministrationWhenShown()
{
    QTimer::singleShot(10, [] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == QLatin1String("Form4"))
            static_cast<QDialog*>(w)->reject();
        else
            CloseAdministrationWhenShown();
    });
}

TEST(CloseDecision, QuestionsAndAnswers)
{
    testApp();
    testmode::enable();
    struct Case {
        const char* name;
        CloseContext context;
        QList<Answer> answers;
        QStringList asked;
        bool save;
    } cases[] = {
        {"locked: nothing asked", {false, false, false, "/s"}, {}, {}, false},
        {"local, unlocked, yes", {false, true, false, "/s"}, {Answer::Yes}, {"Salvare Automata"}, true},
        {"local, unlocked, no", {false, true, false, "/s"}, {Answer::No}, {"Salvare Automata"}, false},
        {"no save folder", {false, true, false, "-"}, {}, {}, false},
        {"network", {false, true, true, "/s"}, {}, {}, false},
        {"archive yes", {true, true, false, "/s"}, {Answer::Yes}, {"Salvare modificari"}, true},
        {"archive no, then daily copy yes", {true, true, false, "/s"}, {Answer::No, Answer::Yes},
         {"Salvare modificari", "Salvare Automata"}, true},
        {"archive, Escape on both", {true, true, false, "/s"}, {Answer::Cancel, Answer::Cancel},
         {"Salvare modificari", "Salvare Automata"}, false},
    };
    for (const Case& c : cases) {
        testmode::clear();
        for (Answer a : c.answers)
            testmode::answerMessage(a);
        EXPECT_EQ(DecideSaveOnClose(c.context), c.save) << c.name;
        QStringList asked;
        for (const auto& m : testmode::messages())
            asked << m.title;
        EXPECT_EQ(asked, c.asked) << c.name;
    }
    testmode::disable();
}

TEST_F(StartupFixture, UnlockShowsTheCommandsAndScreenshots)
{
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    WriteSetting("VARIABILE", "LUNA_LUCRU", "03.2022");
    const QString shots = QDir::tempPath() + "/hestavo-shots";
    QDir().mkpath(shots);

    QTimer::singleShot(0, &main, [&] {
        QApplication::processEvents();
        EXPECT_EQ(main.LunaLucru->text(), QString("03.2022"));
        for (QToolButton* b : {main.MBut1, main.MBut2, main.MBut3, main.MBut4})
            EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
        EXPECT_TRUE(main.MButAdm->isVisible());
        EXPECT_TRUE(main.ExitB->isVisible());
        EXPECT_TRUE(main.grab().save(shots + "/main-locked.png"));

        // No password set: a warning, then the commands show.
        CloseAdministrationWhenShown();
        main.MButAdm->click();
        ASSERT_EQ(testmode::messages().size(), 1);
        EXPECT_EQ(testmode::messages()[0].title, QString("Administrare"));
        for (QToolButton* b : {main.MBut1, main.MBut2, main.MBut3, main.MBut4})
            EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
        EXPECT_TRUE(main.grab().save(shots + "/main-unlocked.png"));

        QStringList items;
        for (QAction* a : main.PopupMenu1->actions())
            items << a->text();
        EXPECT_EQ(items.first(), QString("Raport AJPIS"));
        EXPECT_EQ(items.last(), QString("Anexa 26 - Cerere"));
        EXPECT_FALSE(main.BacauItem->isVisible());

        testmode::clear();
        testmode::answerMessage(Answer::No);
        QTest::keyClick(&main, Qt::Key_Escape);
    });
    main.Entry();
    ASSERT_EQ(testmode::messages().size(), 1);
    EXPECT_EQ(testmode::messages()[0].title, QString("Salvare Automata"));
    EXPECT_FALSE(main.saveOnExit());

    AuditLogWindow view;
    view.Load();
    ASSERT_EQ(view.Grid->rowCount(), 2);
    EXPECT_EQ(view.Grid->currentRow(), 1) << "opens on the newest row";
    EXPECT_EQ(view.Grid->item(1, 2)->text(), QString("Inchidere Program."));
    // One band "Data si ora" over the date and time columns only.
    auto* header = qobject_cast<BandedHeader*>(view.Grid->horizontalHeader());
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->bandText(), QString("Data si ora"));
    QStringList captions;
    for (int c = 0; c < 4; ++c) {
        captions << view.Grid->horizontalHeaderItem(c)->text();
        EXPECT_EQ(header->underBand(c), c < 2) << c;
    }
    EXPECT_EQ(captions, QStringList({"Data", "Ora", "Actiunea", "Operator"}));
    view.show();
    EXPECT_TRUE(view.grab().save(shots + "/log-view.png"));
}

TEST_F(StartupFixture, WrongPasswordKeepsTheCommandsLocked)
{
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    WriteSettingBytes("INIT", "WIN", PasswordDigest(QString("ADMIN")));
    main.show();
    // F1 and F2 open a window only once the commands are unlocked.
    auto windowsOpenedBy = [&main](Qt::Key key) {
        int opened = 0;
        QTimer::singleShot(0, [&opened] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                ++opened;
                w->close();
            }
        });
        // The window's own shortcut for the key, as if pressed.
        for (QShortcut* s : main.findChildren<QShortcut*>())
            if (s->key() == QKeySequence(key))
                emit s->activated();
        QApplication::processEvents();
        return opened;
    };
    EXPECT_EQ(windowsOpenedBy(Qt::Key_F1), 0);
    EXPECT_EQ(windowsOpenedBy(Qt::Key_F2), 0);
    EXPECT_TRUE(testmode::messages().isEmpty());
    for (const char* typed : {"admin", "ADMIN"}) {
        testmode::clear();
        QTimer::singleShot(0, [typed] {
            QWidget* prompt = QApplication::activeModalWidget();
            ASSERT_NE(prompt, nullptr);
            QTest::keyClicks(prompt->findChild<QLineEdit*>("Edit1"), typed);
            prompt->findChild<QPushButton*>("Verifica")->click();
            if (QString(typed) == "ADMIN")
                CloseAdministrationWhenShown();
        });
        main.MButAdm->click();
    }
    EXPECT_TRUE(paths().unlocked);
    EXPECT_TRUE(testmode::messages().isEmpty()) << "the right password shows nothing";
    EXPECT_FALSE(main.MBut1->isHidden());
    EXPECT_EQ(windowsOpenedBy(Qt::Key_F1), 1);
}

TEST_F(StartupFixture, SecondStartBringsTheFirstForwardAndTouchesNothing)
{
#ifndef HESTAVO_EXE
    GTEST_SKIP() << "the program is not built";
#else
    QDir().mkpath(paths().systemFolder);
    const QString name = instanceServerName(paths().systemFolder);
    SingleInstance first(name);
    ASSERT_FALSE(first.anotherIsRunning());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    const QString emptyProgram = m_dir.path() + "/second";
    QDir().mkpath(emptyProgram);
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HESTAVO_PROGRAM_DIR", emptyProgram);
    env.insert("HESTAVO_SYSTEM_DIR", paths().systemFolder);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(HESTAVO_EXE);
    ASSERT_TRUE(second.waitForStarted(30000));
    // Serve the second process's request while it runs.
    while (second.state() != QProcess::NotRunning)
        QTest::qWait(20);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(raised.count() == 1 || raised.wait(5000));
    EXPECT_TRUE(QDir(emptyProgram).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_TRUE(QDir(paths().systemFolder).entryList(QDir::Files).isEmpty());

    // Another system folder is another set-up: its instance does not meet ours.
    EXPECT_NE(instanceServerName(m_dir.path() + "/other"), name);
#endif
}

TEST_F(StartupFixture, ClosingAfterARestoreAsksNothing)
{
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    paths().autoSaveFolder = m_dir.path() + "/saves";
    QTimer::singleShot(0, &main, [&] {
        CloseAdministrationWhenShown();
        main.MButAdm->click();  // no password: unlocked after the warning
        testmode::clear();
        main.CloseAfterRestore();
    });
    main.Entry();
    EXPECT_TRUE(testmode::messages().isEmpty());
    EXPECT_FALSE(main.saveOnExit());
}

TEST_F(StartupFixture, ComboFilledWithDistinctValues)
{
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    for (const char* r : {"(1, \"E-On\")", "(2, \"Engie\")", "(3, \"E-On\")", "(4, \"\")"})
        Db().exec(sqlLines({"INSERT INTO " + quotedTable("Cereri.dbf") + " (NRCRT, FURNG) VALUES " + r}));
    QComboBox combo;
    combo.addItem("ramane");
    FillComboDistinct(&combo, quotedTable("Cereri.dbf"), "FURNG", "NRCRT<4");
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(1), QString("E-On"));
    EXPECT_EQ(combo.itemText(2), QString("Engie"));
    EXPECT_EQ(combo.currentIndex(), 0);
    SelectComboText(&combo, "Engie");
    EXPECT_EQ(combo.currentIndex(), 2);
    SelectComboText(&combo, "engie");
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST_F(StartupFixture, LegislationTextsOpenFromATemporaryCopy)
{
    MainWindow main;
    StartupSplash splash(&main);
    ASSERT_EQ(splash.RunStartup({}, m_program + "/hestavo"), StartupSplash::Outcome::ShowMain);
    for (const char* name : {"L226", "HG1073", "CererePDF"}) {
        testmode::clear();
        const QString resource = findResource(name, "Lege");
        if (resource.isEmpty()) {
            // Not embedded in this build: an error, nothing handed to the shell.
            EXPECT_FALSE(OpenLegislation(name));
            ASSERT_EQ(testmode::messages().size(), 1);
            EXPECT_EQ(testmode::messages()[0].title, QString("Legislatie"));
            EXPECT_TRUE(testmode::messages()[0].text.contains("nu este inclus in aceasta versiune"))
                << testmode::messages()[0].text.toStdString();
            EXPECT_TRUE(testmode::shellCalls().isEmpty());
            continue;
        }
        EXPECT_TRUE(OpenLegislation(name));
        ASSERT_EQ(testmode::shellCalls().size(), 1);
        const QString opened = testmode::shellCalls()[0].path;
        EXPECT_TRUE(opened.startsWith(m_program + "/Temp/TmpL226/Lege")) << opened.toStdString();
        QFile copy(opened), original(resource);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
        EXPECT_EQ(copy.readAll(), original.readAll());
    }
}
