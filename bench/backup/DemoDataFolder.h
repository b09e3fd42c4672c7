// The data folders the backup benchmarks work on: word-processor documents
// of a given size, and the demo database with its per-application documents.
#pragma once

#include <QByteArray>
#include <QString>

namespace benchdata {

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
