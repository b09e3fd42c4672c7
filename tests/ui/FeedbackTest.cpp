// The message dialog, the progress window, the problem balloon and the shell
// helpers, in their test mode and as real windows offscreen.
#include "data/Shell.h"
#include "data/TestMode.h"
#include "ui/common/Choosers.h"
#include "ui/common/MessageDialog.h"
#include "ui/common/ProblemHint.h"
#include "ui/common/ProgressWindow.h"

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {
QApplication& app()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return *a;
}

struct TestModeOn {
    TestModeOn() { app(); testmode::enable(); }
    ~TestModeOn() { testmode::disable(); }
};
} // namespace

TEST(ButtonLayout, GapRoundsHalfToEven)
{
    struct Case {
        int n;
        QList<int> lefts;
    } cases[] = {
        {1, {134}},               // 269 / 2 = 134.5 -> 134
        {2, {65, 203}},           // 196 / 3 = 65.33 -> 65
        {3, {31, 135, 239}},      // 123 / 4 = 30.75 -> 31
        {4, {10, 93, 176, 259}},  // 50 / 5 = 10
        {0, {}},
        {5, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buttonLefts(c.n), c.lefts) << c.n;
}

TEST(MessageDialog, ButtonsInFixedOrderAtTheirPlaces)
{
    app();
    struct Case {
        int buttons;
        QStringList captions;
    } cases[] = {
        {kButtonOK, {"&OK"}},
        {kButtonsYesNo, {"&Da", "&Nu"}},
        {kButtonOK | kButtonCancel | kButtonNo | kButtonYes, {"&Da", "&Nu", "&Renunt", "&OK"}},
        {kButtonCancel | kButtonYes, {"&Da", "&Renunt"}},
    };
    for (const Case& c : cases) {
        MessageDialog d("Titlu", "Text", c.buttons, kKindConfirmation);
        QStringList captions;
        QList<int> xs;
        for (QPushButton* b : d.visibleButtons()) {
            captions << b->text();
            xs << b->x();
        }
        EXPECT_EQ(captions, c.captions);
        EXPECT_EQ(xs, buttonLefts(int(c.captions.size())));
    }
    struct Kind {
        int kind;
        const char* caption;
    } kinds[] = {{0, "Atentie !"}, {1, "Eroare"}, {2, "Informatie"}, {3, "Confirmare"}, {7, "Eroare"}};
    for (const Kind& k : kinds)
        EXPECT_EQ(MessageDialog("t", "x", kButtonOK, k.kind).windowTitle(), QString(k.caption));
}

// Enter presses the default button: "Da" for an ordinary question, "Nu" for
// a question that deletes.
TEST(MessageDialog, EnterAnswersNoToADeleteQuestion)
{
    app();
    struct Case {
        int buttons;
        Answer enterGives;
    } cases[] = {{kButtonsYesNo, Answer::Yes}, {kDeleteQuestion, Answer::No}, {kButtonOK, Answer::OK}};
    for (const Case& c : cases) {
        MessageDialog d("Stergere", "Doriti sa stergeti?", c.buttons, kKindWarning);
        QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Return); });
        const Answer result = Answer(d.exec());
        EXPECT_EQ(result, c.enterGives) << c.buttons;
    }
}

TEST(MessageDialog, WholeTextFitsInsideTheDialog)
{
    app();
    const QString longFolder = "/srv/retea/Baza_de_date_a_primariei_comunei_Sandulesti_judetul_Cluj_2026";
    struct Case {
        QString text;
        bool wider;   // wider than the usual 342-pixel box
    } cases[] = {
        {"\rATENTIE!\rNu aveti nicio parola!", false},
        {"Baza de date " + longFolder + "\rNU este accesibila sau este incompleta!\r"
         "Verificati conexiunea si baza si reporniti programul!", true},
        {"unu\rdoi\rtrei\rpatru\rcinci\rsase\rsapte", false},
        {"Tabela \"/date/Cereri.dbf\" nu poate fi deschisa (linia 2, coloana 6): Fisierul \"/date/Cereri.dbf\" "
         "nu este o tabela dBase (versiune 0x1E)", false},
    };
    for (const Case& c : cases) {
        MessageDialog d("Conectare server", c.text, kButtonsYesNo, kKindError);
        auto* message = d.findChild<QLabel*>("Mesaj");
        ASSERT_NE(message, nullptr);
        QString shown = c.text;
        shown.replace('\r', '\n');
        const QFontMetrics fm(message->font());
        const QRect need = fm.boundingRect(QRect(0, 0, message->width(), 100000),
                                           Qt::AlignCenter | Qt::TextWordWrap, shown);
        EXPECT_LE(need.width(), message->width()) << c.text.toStdString();
        EXPECT_LE(need.height(), message->height()) << c.text.toStdString();
        EXPECT_LE(message->geometry().right(), d.width());
        EXPECT_LE(message->geometry().bottom(), d.height());
        for (QPushButton* b : d.visibleButtons()) {
            EXPECT_GE(b->x(), 0);
            EXPECT_LE(b->geometry().right(), d.width());
            EXPECT_GT(b->y(), message->geometry().bottom());
        }
        EXPECT_EQ(d.width() > 342, c.wider) << c.text.toStdString();
    }
}

TEST(MessageDialog, RealDialogReturnsButtonResultsAndEscapeGivesTwo)
{
    app();
    struct Case {
        const char* press;   // object name of the button, or "Escape"
        Answer expected;
    } cases[] = {{"Da", Answer::Yes}, {"Nu", Answer::No}, {"Escape", Answer::Cancel}};
    for (const Case& c : cases) {
        const QString press = c.press;
        QTimer::singleShot(0, [press] {
            auto* d = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            if (press == "Escape") {
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(d, &esc);
            } else {
                d->findChild<QPushButton*>(press)->click();
            }
        });
        EXPECT_EQ(MessageDialog::Mesaj("Salvare Automata", "Doriti sa facem o copie la datele de azi?", kButtonsYesNo,
                                kKindConfirmation),
                  c.expected)
            << c.press;
    }
    EXPECT_EQ(MessageDialog::Mesaj("t", "no buttons", 0, kKindError), Answer::Cancel);
}

// Enter and Space on the real dialog as it opens answer with the button that
// has the focus: the first one, or "Nu" for a question that deletes data or
// overrides a check.
TEST(MessageDialog, EnterOrSpaceAnswersWithTheDefaultButton)
{
    app();
    const struct {
        int buttons;
        Qt::Key key;
        Answer expected;
    } cases[] = {
        {kButtonsYesNo, Qt::Key_Return, Answer::Yes},   {kDeleteQuestion, Qt::Key_Return, Answer::No},
        {kDeleteQuestion, Qt::Key_Enter, Answer::No},   {kDeleteQuestion, Qt::Key_Space, Answer::No},
        {kOverrideQuestion, Qt::Key_Return, Answer::No}, {kButtonOK, Qt::Key_Return, Answer::OK},
        {kButtonsYesNo | kButtonCancel | kDefaultNo, Qt::Key_Return, Answer::No},
    };
    for (const auto& c : cases) {
        QString focused;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            QWidget* target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            focused = target->objectName();
            QTest::keyClick(target, c.key);
        });
        EXPECT_EQ(MessageDialog::Mesaj("Stergere cerere", "\rDoriti sa stergem cererea?", c.buttons, kKindWarning),
                  c.expected)
            << c.buttons << " key " << c.key << " focus on " << focused.toStdString();
    }
}

TEST(MessageDialog, TestModeRecordsAndAnswersFromTheScript)
{
    TestModeOn on;
    testmode::answerMessage(Answer::No);
    EXPECT_EQ(MessageDialog::Mesaj("Q", "\rintrebare", kButtonsYesNo, kKindConfirmation), Answer::No);
    EXPECT_EQ(MessageDialog::Mesaj("Q2", "unscripted question", kButtonsYesNo, kKindConfirmation), Answer::Cancel);
    EXPECT_EQ(MessageDialog::Mesaj("E", "unscripted error", kButtonOK, kKindError), Answer::OK);
    EXPECT_EQ(MessageDialog::Mesaj("N", "nothing shown", 0, kKindError), Answer::Cancel);
    ASSERT_EQ(testmode::messages().size(), 3);
    const testmode::Message& m = testmode::messages()[0];
    EXPECT_EQ(m.title, QString("Q"));
    EXPECT_EQ(m.text, QString("\rintrebare"));
    EXPECT_EQ(m.kind, kKindConfirmation);
    EXPECT_EQ(m.buttons, kButtonsYesNo);
    EXPECT_EQ(m.result, Answer::No);
}

TEST(ProgressWindow, DisablesTheActiveWindowUntilHidden)
{
    app();
    HideProgress();  // without ShowProgress: nothing happens
    EXPECT_FALSE(Contor().isVisible());

    QWidget w;
    w.show();
    QApplication::setActiveWindow(&w);
    Contor().Descr->setText("Recalculez cererile...");
    Contor().Bar->setMaximum(3);
    ShowProgress();
    EXPECT_TRUE(Contor().isVisible());
    EXPECT_FALSE(w.isEnabled());
    EXPECT_EQ(w.cursor().shape(), Qt::WaitCursor);
    for (int i = 0; i < 5; ++i)
        StepProgress();
    EXPECT_EQ(Contor().Bar->value(), 3);
    ShowProgress();
    EXPECT_EQ(Contor().Bar->value(), 0);
    HideProgress();
    EXPECT_FALSE(Contor().isVisible());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
}

TEST(ProblemHint, BalloonPointsAtTheControlAndIsRecorded)
{
    TestModeOn on;
    QWidget w;
    w.resize(300, 200);
    auto* edit = new QLineEdit(&w);
    edit->setObjectName("PassEdit");
    edit->move(40, 50);
    w.show();
    ShowProblemHint("Nu ati scris nicio parola!", edit);
    ASSERT_EQ(testmode::hints().size(), 1);
    EXPECT_EQ(testmode::hints()[0].text, QString("Nu ati scris nicio parola!"));
    EXPECT_EQ(testmode::hints()[0].control, QString("PassEdit"));
    QWidget* b = currentProblemHint();
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->geometry().intersects(QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size())))
        << "the balloon covers its field";
    EXPECT_EQ(b->width(), 300);
    EXPECT_TRUE(b->findChild<QLabel*>("Text")->text() == "Nu ati scris nicio parola!");

    // Closing the window (hidden, or destroyed) takes the balloon with it.
    struct Case {
        bool destroy;
    } cases[] = {{false}, {true}};
    for (const Case& c : cases) {
        auto* dialog = new QWidget;
        auto* year = new QLineEdit(dialog);
        dialog->show();
        ShowProblemHint("Anul este scris gresit!", year);
        QPointer<QWidget> shown = currentProblemHint();
        ASSERT_TRUE(shown && shown->isVisible());
        if (c.destroy)
            delete dialog;
        else
            dialog->hide();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(!shown || !shown->isVisible()) << "destroy=" << c.destroy;
        if (!c.destroy)
            delete dialog;
    }
}

// Wherever the field sits on the screen, the balloon lies beside or below it,
// wholly on the screen and clear of the field.
TEST(ProblemHint, BalloonStaysBesideItsFieldAndOnTheScreen)
{
    app();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize balloon(300, 80);
    enum Side { Right, Below, Left, Above };
    struct Case {
        const char* name;
        QPoint windowAt;   // relative to the screen's top-left
        Side side;
    } cases[] = {
        {"room on the right", {20, 20}, Right},
        {"at the right edge", {screen.width() - 220, 20}, Below},
        {"in the bottom-right corner", {screen.width() - 220, screen.height() - 90}, Left},
    };
    for (const Case& c : cases) {
        QWidget w;
        w.setWindowFlags(Qt::FramelessWindowHint);
        w.setGeometry(QRect(screen.topLeft() + c.windowAt, QSize(200, 60)));
        auto* edit = new QLineEdit(&w);
        edit->setGeometry(10, 10, 180, 24);
        w.show();
        const QRect field(edit->mapToGlobal(QPoint(0, 0)), edit->size());
        const QRect placed(ProblemHintPlace(edit, balloon), balloon);
        EXPECT_TRUE(screen.contains(placed)) << c.name;
        EXPECT_FALSE(placed.intersects(field)) << c.name;
        const Side side = placed.left() > field.right() ? Right
                          : placed.top() > field.bottom() ? Below
                          : placed.right() < field.left() ? Left
                                                          : Above;
        EXPECT_EQ(side, c.side) << c.name;
    }
}

TEST(Shell, TestModeRecordsWithoutStarting)
{
    TestModeOn on;
    EXPECT_TRUE(ShellOpen("/tmp/x/Lege0.pdf"));
    EXPECT_TRUE(ShellStart("/opt/h/UpHestavo", {"\"/opt/h/hestavo\""}, "/opt/h"));
    testmode::answerChooser("/tmp/a.L21");
    EXPECT_EQ(ChooseOpenFile(nullptr, "Deschide", "*.L21", "/tmp"), QString("/tmp/a.L21"));
    EXPECT_EQ(ChooseFolder(nullptr, "Alege", "/tmp"), QString());
    ASSERT_EQ(testmode::shellCalls().size(), 2);
    EXPECT_EQ(testmode::shellCalls()[0].path, QString("/tmp/x/Lege0.pdf"));
    EXPECT_EQ(testmode::shellCalls()[1].arguments, QStringList({"\"/opt/h/hestavo\""}));
    EXPECT_EQ(testmode::shellCalls()[1].workFolder, QString("/opt/h"));
    ASSERT_EQ(testmode::choosers().size(), 2);
    EXPECT_EQ(testmode::choosers()[1].kind, QString("folder"));
}

TEST(Screenshots, EachMessageKind)
{
    app();
    const char* names[] = {"warning", "error", "information", "confirmation"};
    const QString dir = QDir::tempPath() + "/hestavo-shots";
    QDir().mkpath(dir);
    for (int kind = 0; kind < 4; ++kind) {
        MessageDialog d("Administrare", "\rATENTIE!\rNu aveti nicio parola!", kind == 3 ? kButtonsYesNo : kButtonOK, kind);
        d.show();
        const QString file = dir + "/message-" + names[kind] + ".png";
        EXPECT_TRUE(d.grab().save(file)) << file.toStdString();
    }
    QWidget form;
    form.resize(360, 120);
    auto* edit = new QLineEdit(&form);
    edit->setObjectName("Edit1");
    edit->move(20, 20);
    form.show();
    ShowProblemHint("Nu ati scris nicio parola!", edit);
    ASSERT_NE(currentProblemHint(), nullptr);
    EXPECT_TRUE(currentProblemHint()->grab().save(dir + "/problem-hint.png"));
    Contor().Descr->setText("Recalculez cererile...");
    Contor().Bar->setMaximum(4);
    ShowProgress();
    StepProgress();
    EXPECT_TRUE(Contor().grab().save(dir + "/progress.png"));
    HideProgress();
}
