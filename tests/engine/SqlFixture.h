// A small register built through the engine itself for the SQL tests: a few
// applications ("Cereri") and their members ("Oameni") in a scratch folder.
#pragma once

#include "DbfTestSupport.h"

#include "engine/Database.h"

#include <string>
#include <vector>

namespace sqltest {

class Register {
public:
    Register()
    {
        C = file("Cereri.dbf");
        O = file("Oameni.dbf");
        db.exec({"CREATE TABLE \"" + C + "\"",
                 "(NRCRT DECIMAL(12,0), LUNACRT DECIMAL(10,0), TITULAR CHAR(32), CNP CHAR(13),",
                 " LOCALIT CHAR(60), ADRESA CHAR(60), NR_MEMBRI DECIMAL(5,0), VENITM DECIMAL(10,2),",
                 " CUAJUT CHAR(1), CUANTUM DECIMAL(10,2), NR_LUNI DECIMAL(5,0), TOTAL DECIMAL(10,2),",
                 " NR_DISP CHAR(16), NR_CERE DECIMAL(10,0), DATACERE DATE, STATUT CHAR(10), CUMODIF CHAR(1))"});
        db.exec("CREATE TABLE \"" + O + "\" (NROM DECIMAL(10,0), NRCRT DECIMAL(12,0), TITULAR CHAR(32), "
                "CNP CHAR(13), VENIT DECIMAL(10,2), CALITATE CHAR(12))");
        const char* cereri[] = {
            R"(1, 24266, "POP ION", "1800101040011", "Bacau", "Str. Mare 1", 2, 300.5, "X", 100, 5, 500, "", 10, "01.03.2022", "APROBAT", "")",
            R"(2, 24266, "ANA MARIA", "2850202040012", "Bacau", "Str. Mica 2", 3, 150, "", 0, 4, 0, "10", 11, "05.03.2022", "MODIFICAT", "X")",
            R"(3, 24267, "ZAHARIA DAN", "1700303040013", "Onesti", "", 1, 900, "X", 80, 3, 240, "9", 12, "10.04.2023", "RESPINS", "")",
            R"(4, 24266, "BALAN VASILE", "1600404040014", "Bacau", "Str. Noua 3", 2, 0, "X", 120, 5, 600, "0", 13, "", "APROBAT", "")",
        };
        for (const char* row : cereri)
            db.exec("INSERT INTO \"" + C + "\" (NRCRT, LUNACRT, TITULAR, CNP, LOCALIT, ADRESA, NR_MEMBRI, VENITM, "
                    "CUAJUT, CUANTUM, NR_LUNI, TOTAL, NR_DISP, NR_CERE, DATACERE, STATUT, CUMODIF) VALUES ("
                    + std::string(row) + ")");
        db.exec("INSERT INTO \"" + O + "\" VALUES (1, 1, \"POP ION\", \"1800101040011\", 1000, \"beneficiar\"),"
                " (2, 1, \"POP ANA\", \"2820505040015\", 0, \"partener\"),"
                " (3, 2, \"ANA MARIA\", \"2850202040012\", 450, \"beneficiar\"),"
                " (4, 2, \"ANA ION\", \"5100606040016\", 0, \"copil\"),"
                " (5, 99, \"ORFAN\", \"1900707040017\", 0, \"adult\")");
    }
    std::string file(const std::string& name) const { return m_dir.file(name); }

    // {C}, {O} and {dir} replaced by the quoted-path contents.
    std::string expand(std::string sql) const
    {
        replaceAll(sql, "{C}", C);
        replaceAll(sql, "{O}", O);
        replaceAll(sql, "{dir}", m_dir.path().string());
        return sql;
    }

    // The rows of a SELECT, each as its fields' text joined with "|".
    std::vector<std::string> rows(const std::string& sql)
    {
        auto rs = db.open(expand(sql));
        return rowsOf(*rs);
    }

    static std::vector<std::string> rowsOf(engine::ResultSet& rs)
    {
        std::vector<std::string> out;
        const auto names = rs.columnNames();
        for (rs.first(); !rs.eof(); rs.next()) {
            std::string line;
            for (size_t i = 0; i < names.size(); ++i)
                line += (i ? "|" : "") + rs.text(names[i]);
            out.push_back(line);
        }
        return out;
    }

    static std::string readFile(const std::string& path) { return dbftest::readFile(path); }

    engine::Database db;
    std::string C, O;

private:
    static void replaceAll(std::string& s, const std::string& from, const std::string& to)
    {
        for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
            s.replace(p, from.size(), to);
    }
    dbftest::ScratchDir m_dir{"hv-sql-"};
};

} // namespace sqltest
