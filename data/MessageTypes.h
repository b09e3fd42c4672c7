// The vocabulary of the program's one message dialog: the kind of a message,
// the buttons it offers and the answer it gives back. A button set is a set of
// bits; an answer is its own type, so that comparing an answer with a button
// does not compile. Shared by the dialog, its test mode and whoever asks.
#pragma once

// Kinds.
constexpr int kKindWarning = 0;
constexpr int kKindError = 1;
constexpr int kKindInformation = 2;
constexpr int kKindConfirmation = 3;

// Button set members.
constexpr int kButtonYes = 1;
constexpr int kButtonNo = 2;
constexpr int kButtonOK = 4;
constexpr int kButtonCancel = 8;
constexpr int kButtonsYesNo = kButtonYes | kButtonNo;
// Added to a button set: "Nu" is the default button and has the focus, so
// that Enter answers no. Every confirmation that deletes data, and every
// question whose "Da" goes on past a failed check, uses it.
constexpr int kDefaultNo = 16;
constexpr int kDeleteQuestion = kButtonsYesNo | kDefaultNo;
constexpr int kOverrideQuestion = kButtonsYesNo | kDefaultNo;

// The button pressed; Escape and the close box answer Cancel. The values are
// the dialog's exit codes.
enum class Answer { OK = 1, Cancel = 2, Yes = 6, No = 7 };
