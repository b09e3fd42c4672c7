#include "data/TestMode.h"

#include "data/MessageTypes.h"

#include <QQueue>

namespace testmode {
namespace {
struct State {
    bool on = false;
    QQueue<Answer> messageAnswers;
    QQueue<QString> chooserAnswers;
    QQueue<bool> shellOpenAnswers;
    QList<Message> messages;
    QList<Hint> hints;
    QList<ShellCall> shell;
    QList<Chooser> choosers;
    QStringList progress;
};
State& st()
{
    static State s;
    return s;
}
} // namespace

void enable()
{
    clear();
    st().on = true;
}

void disable()
{
    clear();
    st().on = false;
}

bool active() { return st().on; }

void clear()
{
    const bool on = st().on;
    st() = State{};
    st().on = on;
}

void answerMessage(Answer result) { st().messageAnswers.enqueue(result); }
void answerChooser(const QString& path) { st().chooserAnswers.enqueue(path); }
void answerShellOpen(bool opened) { st().shellOpenAnswers.enqueue(opened); }

const QList<Message>& messages() { return st().messages; }
const QList<Hint>& hints() { return st().hints; }
const QList<ShellCall>& shellCalls() { return st().shell; }
const QList<Chooser>& choosers() { return st().choosers; }
const QStringList& progressTexts() { return st().progress; }

Answer takeMessageAnswer(int buttons)
{
    if (!st().messageAnswers.isEmpty())
        return st().messageAnswers.dequeue();
    return (buttons & kButtonOK) ? Answer::OK : Answer::Cancel;
}

QString takeChooserAnswer()
{
    return st().chooserAnswers.isEmpty() ? QString() : st().chooserAnswers.dequeue();
}

bool takeShellOpenAnswer() { return st().shellOpenAnswers.isEmpty() || st().shellOpenAnswers.dequeue(); }

void record(const Message& m) { st().messages << m; }
void record(const Hint& h) { st().hints << h; }
void record(const ShellCall& c) { st().shell << c; }
void record(const Chooser& c) { st().choosers << c; }
void recordProgress(const QString& text) { st().progress << text; }

} // namespace testmode
