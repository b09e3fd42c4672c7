// The folders the backup benchmarks work on: a program folder of their own,
// word-processor documents of a given size, and the demo database with its
// per-application documents.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace benchdata {

// Makes root a program folder of its own: "Data", "Temp", "Sys", "Eng" and
// the extra sub-folders are created below it, and paths() point at them.
void UseProgramFolder(const QString& root, const QStringList& extraFolders = {});

// A decision or application form as a word processor writes it: font and
// style tables, formatted paragraphs of Romanian text with escaped letters,
// tables of household members, and in every fourth seed a picture in hex.
QByteArray RtfDocument(int targetBytes, quint32 seed);

// The demo database of 25,000 applications (5,000 households over five
// months) with their members and the log, plus 40 application forms
// "C" + number + ".rtf" of about 150 KB, written into folder (created).
// Returns the total size of the files.
qint64 MakeDemoDataFolder(const QString& folder);

} // namespace benchdata
