// The desktop shell and the file and folder choosers, each through one
// function so that tests can script and record them (see TestMode.h).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Opens a document, spreadsheet, PDF or folder with the desktop's program for
// it. False when the desktop refused.
bool ShellOpen(const QString& path);

// Starts a program without waiting for it, with its arguments and working
// folder. False when it could not be started.
bool ShellStart(const QString& program, const QStringList& arguments, const QString& workFolder);

// Choosers; an empty result means the user cancelled.
QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter, const QString& start);
QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& filter, const QString& start);
QString ChooseFolder(QWidget* parent, const QString& title, const QString& start);
