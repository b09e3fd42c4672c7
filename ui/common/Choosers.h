// The file and folder choosers, each through one function so that tests can
// script and record them (see data/TestMode.h); and the desktop's opener that
// the window program installs for ShellOpen (data/Shell.h).
#pragma once

#include <QString>

class QWidget;

// Choosers; an empty result means the user cancelled.
QString ChooseOpenFile(QWidget* parent, const QString& title, const QString& filter, const QString& start);
QString ChooseSaveFile(QWidget* parent, const QString& title, const QString& filter, const QString& start);
QString ChooseFolder(QWidget* parent, const QString& title, const QString& start);

// Makes ShellOpen hand documents to the desktop (QDesktopServices).
void InstallDesktopOpener();
