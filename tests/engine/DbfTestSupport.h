// Helpers shared by the table-file tests: a scratch folder removed at the
// end, whole-file reads and writes, and running the system Python.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <unistd.h>

namespace dbftest {

class ScratchDir {
public:
    // A fresh folder in the system's temporary folder, named prefix + six letters.
    explicit ScratchDir(const std::string& prefix = "hv-dbf-")
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        m_path = tmpl;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Header date bytes 1..3 of a dBase file written at `when` (year - 1900,
// month, day, local time).
inline std::string headerDateAt(std::time_t when)
{
    std::tm tm{};
    localtime_r(&when, &tm);
    return {static_cast<char>(tm.tm_year), static_cast<char>(tm.tm_mon + 1), static_cast<char>(tm.tm_mday)};
}

// Of two moments taken before and after a file was written, the one whose
// date the file's header carries (before, when neither: the comparison that
// follows then shows the difference). A test that expects the date of one
// fixed moment would fail when the clock passes midnight in between.
inline std::time_t stampMoment(const std::string& fileBytes, std::time_t before, std::time_t after)
{
    return fileBytes.size() >= 4 && fileBytes.substr(1, 3) == headerDateAt(after) ? after : before;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs a command and returns its standard output (exit status in *status).
inline std::string runCommand(const std::string& command, int* status = nullptr)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int rc = pclose(p);
    if (status)
        *status = rc;
    return out;
}

// Runs a Python script (given as text) with the system interpreter.
inline std::string runPython(const ScratchDir& dir, const std::string& script, const std::string& args,
                             int* status = nullptr)
{
    const std::string scriptPath = dir.file("check.py");
    writeFile(scriptPath, script);
    return runCommand(std::string("PYTHONIOENCODING=utf-8 ") + HESTAVO_PYTHON + " " + scriptPath + " " + args
                          + " 2>&1",
                      status);
}

// A live row as text: Null shown as "-", numbers in the shortest form, dates
// dd.MM.yyyy, logicals T/F; fields separated by "|".
template <typename Data>
std::string rowText(const Data& data, std::size_t row)
{
    std::ostringstream out;
    for (std::size_t c = 0; c < data.columns().size(); ++c) {
        if (c)
            out << "|";
        const auto v = data.value(row, static_cast<int>(c));
        using Kind = decltype(v.kind);
        switch (v.kind) {
        case Kind::Null: out << "-"; break;
        case Kind::Text: out << v.text; break;
        case Kind::Number: out << v.number; break;
        case Kind::Date: out << v.date.toText(); break;
        case Kind::Logical: out << (v.logical ? "T" : "F"); break;
        }
    }
    return out.str();
}

template <typename Columns>
std::string columnsText(const Columns& cols)
{
    std::ostringstream out;
    for (const auto& c : cols)
        out << c.name << " " << c.type << " " << c.width << "," << c.decimals << "@" << c.offset << ";";
    return out.str();
}

} // namespace dbftest
