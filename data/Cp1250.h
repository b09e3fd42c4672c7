// Conversion between Unicode text and the Windows-1250 bytes kept in settings
// and list files. A character with no Windows-1250 byte becomes "?".
#pragma once

#include <QByteArray>
#include <QString>

QByteArray toCp1250(const QString& text);
QString fromCp1250(const QByteArray& bytes);
