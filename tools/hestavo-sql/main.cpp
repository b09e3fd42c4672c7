// hestavo-sql: a shell on the database engine. Runs local-SQL statements on
// dBase table files and prints the result sets, aligned or as CSV.
//
//   hestavo-sql [--csv] [-f FILE] [STATEMENT...]
//
// Statements come from the arguments (one per argument), from FILE, or from
// standard input; in a file or on standard input a line holding only ";"
// (or a line ending in ";") ends a statement. Errors go to standard error and
// the exit status is 1 when any statement failed.
#include "engine/Database.h"

#include <cctype>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void usage()
{
    std::cerr << "Folosire: hestavo-sql [--csv] [-f FISIER] [COMANDA...]\n"
                 "  Comenzile vin din argumente, din FISIER sau de la intrarea standard;\n"
                 "  in fisier o linie care se termina cu \";\" incheie comanda.\n";
}

std::vector<std::string> splitStatements(std::istream& in)
{
    std::vector<std::string> out;
    std::string current, line;
    auto flush = [&] {
        if (current.find_first_not_of(" \t\r\n") != std::string::npos)
            out.push_back(current);
        current.clear();
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string trimmed = line;
        while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t'))
            trimmed.pop_back();
        if (!trimmed.empty() && trimmed.back() == ';') {
            trimmed.pop_back();
            if (!current.empty())
                current += '\n';
            current += trimmed;
            flush();
            continue;
        }
        if (!current.empty())
            current += '\n';
        current += line;
    }
    flush();
    return out;
}

std::string csvField(const std::string& s)
{
    if (s.find_first_of(",\"\n\r") == std::string::npos)
        return s;
    std::string r = "\"";
    for (char c : s) {
        if (c == '"')
            r += '"';
        r += c;
    }
    return r + "\"";
}

// Display width of UTF-8 text (code points).
size_t displayWidth(const std::string& s)
{
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

void printResult(engine::ResultSet& rs, bool csv)
{
    const auto names = rs.columnNames();
    std::vector<std::vector<std::string>> rows;
    for (rs.first(); !rs.eof(); rs.next()) {
        std::vector<std::string> row;
        // By position: two result columns may carry the same name.
        for (size_t i = 0; i < names.size(); ++i)
            row.push_back(rs.textAt(static_cast<int>(i)));
        rows.push_back(std::move(row));
    }
    if (csv) {
        for (size_t i = 0; i < names.size(); ++i)
            std::cout << (i ? "," : "") << csvField(names[i]);
        std::cout << '\n';
        for (const auto& row : rows) {
            for (size_t i = 0; i < row.size(); ++i)
                std::cout << (i ? "," : "") << csvField(row[i]);
            std::cout << '\n';
        }
        return;
    }
    std::vector<size_t> widths(names.size());
    std::vector<bool> right(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        widths[i] = displayWidth(names[i]);
        const auto t = rs.columnTypeAt(static_cast<int>(i));
        right[i] = t == engine::ColumnType::Numeric || t == engine::ColumnType::Float || t == engine::ColumnType::Integer;
    }
    for (const auto& row : rows)
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], displayWidth(row[i]));
    auto printRow = [&](const std::vector<std::string>& row) {
        for (size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - displayWidth(row[i]), ' ');
            if (i)
                std::cout << "  ";
            if (right[i])
                std::cout << pad << row[i];
            else
                std::cout << row[i] << (i + 1 < row.size() ? pad : "");
        }
        std::cout << '\n';
    };
    printRow(names);
    for (size_t i = 0; i < names.size(); ++i)
        std::cout << (i ? "  " : "") << std::string(widths[i], '-');
    std::cout << '\n';
    for (const auto& row : rows)
        printRow(row);
    std::cout << "(" << rows.size() << (rows.size() == 1 ? " rand)\n" : " randuri)\n");
}

// A statement that gives rows: it begins with SELECT, in any letter case.
bool isSelect(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n(");
    if (b == std::string::npos || s.size() - b < 6)
        return false;
    const std::string word = "SELECT";
    for (size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(s[b + i])) != word[i])
            return false;
    return s.size() - b == 6 || !std::isalnum(static_cast<unsigned char>(s[b + 6]));
}

} // namespace

int main(int argc, char** argv)
{
    bool csv = false;
    std::vector<std::string> statements;
    bool fromArgs = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--csv") {
            csv = true;
        } else if (a == "-h" || a == "--help") {
            usage();
            return 0;
        } else if (a == "-f") {
            if (i + 1 >= argc) {
                usage();
                return 2;
            }
            std::ifstream f(argv[++i], std::ios::binary);
            if (!f) {
                std::cerr << "Nu pot citi fisierul " << argv[i] << '\n';
                return 2;
            }
            auto more = splitStatements(f);
            statements.insert(statements.end(), more.begin(), more.end());
            fromArgs = true;
        } else {
            statements.push_back(a);
            fromArgs = true;
        }
    }
    if (!fromArgs)
        statements = splitStatements(std::cin);

    engine::Database db;
    int status = 0;
    for (const auto& st : statements) {
        try {
            if (isSelect(st)) {
                auto rs = db.open(st);
                printResult(*rs, csv);
            } else {
                db.exec(st);
            }
        } catch (const std::exception& e) {
            std::cerr << "Eroare: " << e.what() << '\n';
            status = 1;
        }
    }
    return status;
}
