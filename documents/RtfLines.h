// Line input and output for the RTF engine: a template read one physical line
// at a time through a 64 KB buffer (a line ends at CR LF, LF or CR), and an
// output written with CR LF line ends. Failures throw RTFError.
#pragma once

#include "documents/RtfError.h"

#include <QFile>

#include <vector>

namespace documents {

class LineReader {
public:
    // Opens path for reading; false when it cannot be opened.
    bool open(const QString& path);
    // True when every line has been read.
    bool atEnd();
    // Reads the next line without its line end; false at the end of the file.
    bool readLine(QByteArray& line);

private:
    bool fill();

    QFile m_file;
    std::vector<char> m_buf = std::vector<char>(64 * 1024);
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
};

class LineWriter {
public:
    // Opens path for appending (or, with truncate, creates it empty); throws on failure.
    explicit LineWriter(const QString& path, bool truncate = false);
    ~LineWriter();
    void writeLine(const QByteArray& line);
    // Flushes and closes; throws when the data could not be written.
    void close();

private:
    QFile m_file;
};

} // namespace documents
