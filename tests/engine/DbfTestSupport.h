// Helpers shared by the table-file tests: a scratch folder removed at the
// end, whole-file reads and writes, the local time, and running the system
// Python. They build for Linux and for Windows.
#pragma once

#include "ChildProcess.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace dbftest {

class ScratchDir {
public:
    // A fresh folder in the system's temporary folder, named prefix (UTF-8)
    // + six letters.
    explicit ScratchDir(const std::string& prefix = "hv-dbf-")
    {
        std::random_device seed;
        std::mt19937 random(seed());
        const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = prefix;
            for (int i = 0; i < 6; ++i)
                name += letters[random() % letters.size()];
            const auto candidate = std::filesystem::temp_directory_path() / std::filesystem::u8path(name);
            std::error_code ec;
            if (std::filesystem::create_directory(candidate, ec)) {
                m_path = candidate;
                return;
            }
        }
        std::abort();
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    // A path in the folder, as UTF-8 (the storage layer's path encoding).
    std::string file(const std::string& name) const
    {
        const auto text = (m_path / std::filesystem::u8path(name)).u8string();
        return std::string(text.begin(), text.end());
    }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::tm localTime(std::time_t when)
{
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &when);
#else
    localtime_r(&when, &tm);
#endif
    return tm;
}

// Header date bytes 1..3 of a dBase file written at `when` (year - 1900,
// month, day, local time).
inline std::string headerDateAt(std::time_t when)
{
    const std::tm tm = localTime(when);
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
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
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

// Runs a Python script (given as text) with the system interpreter; args are
// separated by blanks.
inline std::string runPython(const ScratchDir& dir, const std::string& script, const std::string& args,
                             int* status = nullptr)
{
    const std::string scriptPath = dir.file("check.py");
    writeFile(scriptPath, script);
#ifdef _WIN32
    std::vector<std::string> words = {"PYTHONIOENCODING=utf-8", HESTAVO_PYTHON, scriptPath};
    std::istringstream split(args);
    for (std::string word; split >> word;)
        words.push_back(word);
    return runLinuxProgram("/usr/bin/env", words, dir.file(""), status);
#else
    return runCommand(std::string("PYTHONIOENCODING=utf-8 ") + HESTAVO_PYTHON + " " + scriptPath + " " + args
                          + " 2>&1",
                      status);
#endif
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
