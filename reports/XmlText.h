// Helpers of the XML exports: attribute text cleaned of characters XML cannot
// carry, and the whole document written beside its final name and renamed
// into place only when complete.
#pragma once

#include <QByteArray>
#include <QString>

namespace hestavo {

// Drops the characters an XML 1.0 document cannot hold (control characters
// other than tab, line feed and carriage return, lone surrogates, U+FFFE and
// U+FFFF) and counts every value it had to change in *cleaned.
QString XmlSafe(const QString& text, int* cleaned);

// Writes data to path through a side file that replaces path only when the
// whole content is written; throws ExportError (heading given) on failure.
void WriteFileWhole(const QString& path, const QByteArray& data, const QString& heading);

} // namespace hestavo
