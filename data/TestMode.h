// Test mode of the program's feedback and shell helpers.
//
// The message dialog (MessageDialog::Mesaj), the problem balloon (ShowProblemHint),
// the progress window (ShowProgress/HideProgress), the file and folder
// choosers (ChooseOpenFile, ChooseSaveFile, ChooseFolder) and the shell
// (ShellOpen, ShellStart) all go through this switch. While it is on:
//
//   - Mesaj shows no window. It records the call and returns the next answer
//     queued with answerMessage(); with no answer queued it returns Answer::OK
//     when the OK button is among the buttons, else Answer::Cancel (as Escape
//     would).
//   - The choosers show no window. They record the call and return the next
//     path queued with answerChooser() ("" = the user cancelled); with none
//     queued they return "" (cancelled).
//   - ShellOpen / ShellStart record the path (with the arguments and working
//     folder) and return true without starting anything; ShellOpen returns
//     the next result queued with answerShellOpen() (false: the desktop had
//     no program for it), true when none is queued.
//   - ShowProblemHint records the text and the control's objectName, and
//     shows the balloon as usual (it never blocks).
//   - ShowProgress records the progress text (ProgressWindow::Descr) shown.
//
// A window test:
//     testmode::enable();                       // also clears the records
//     testmode::answerMessage(Answer::Yes);      // the next question gets "Da"
//     ... press buttons ...
//     ASSERT_EQ(testmode::messages().size(), 1);
//     EXPECT_EQ(testmode::messages()[0].title, "Salvare Automata");
//     testmode::disable();
#pragma once

#include "data/MessageTypes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace testmode {

struct Message {
    QString title;
    QString text;       // as passed, CR line breaks included
    int kind = 0;       // 0 warning, 1 error, 2 information, 3 confirmation
    int buttons = 0;    // set of kButtonYes/No/OK/Cancel bits, with kDefaultNo when asked
    Answer result = Answer::Cancel;   // what Mesaj returned
};

struct Hint {
    QString text;
    QString control;    // objectName of the control the balloon points at
};

struct ShellCall {
    QString path;
    QStringList arguments;   // empty for ShellOpen
    QString workFolder;
};

struct Chooser {
    QString kind;       // "open", "save" or "folder"
    QString title;
    QString start;      // folder or file the chooser would start at
    QString answer;
};

void enable();
void disable();
bool active();
void clear();

void answerMessage(Answer result);
void answerChooser(const QString& path);
void answerShellOpen(bool opened);

const QList<Message>& messages();
const QList<Hint>& hints();
const QList<ShellCall>& shellCalls();
const QList<Chooser>& choosers();
const QStringList& progressTexts();

// Used by the helpers themselves.
Answer takeMessageAnswer(int buttons);
QString takeChooserAnswer();
bool takeShellOpenAnswer();
void record(const Message& m);
void record(const Hint& h);
void record(const ShellCall& c);
void record(const Chooser& c);
void recordProgress(const QString& text);

} // namespace testmode
