// hestavo-demo-db: writes the demo database of a large town into a folder:
// the tables, "Hestavo.set" of this version and "Luni.lst", ready to open.
//
//   hestavo-demo-db FOLDER [--seed N] [--households N] [--months N]
//                   [--first-month MM.YYYY] [--overwrite]
#include "tools/demo-db/DemoDatabase.h"
#include "tools/demo-db/DemoSettings.h"

#include "engine/Value.h"

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    demodb::Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "Lipseste valoarea pentru " << a << '\n';
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--seed") {
            o.seed = std::strtoull(value().c_str(), nullptr, 10);
        } else if (a == "--households") {
            o.households = std::atoi(value().c_str());
        } else if (a == "--months") {
            o.months = std::atoi(value().c_str());
        } else if (a == "--first-month") {
            std::string m = value();
            size_t dot = m.find('.');
            if (dot == std::string::npos) {
                std::cerr << "Luna trebuie scrisa LL.AAAA\n";
                return 2;
            }
            o.firstMonth = std::atoi(m.substr(dot + 1).c_str()) * 12 + std::atoi(m.substr(0, dot).c_str()) - 1;
        } else if (a == "--overwrite") {
            o.overwrite = true;
        } else if (a == "-h" || a == "--help") {
            std::cout << "Folosire: hestavo-demo-db DOSAR [--seed N] [--households N] [--months N]"
                         " [--first-month LL.AAAA] [--overwrite]\n";
            return 0;
        } else if (o.folder.empty() && a[0] != '-') {
            o.folder = a;
        } else {
            std::cerr << "Argument necunoscut: " << a << '\n';
            return 2;
        }
    }
    if (o.folder.empty() || o.households < 1 || o.months < 1) {
        std::cerr << "Folosire: hestavo-demo-db DOSAR [--seed N] [--households N] [--months N]"
                     " [--first-month LL.AAAA] [--overwrite]\n";
        return 2;
    }
    try {
        demodb::Summary s = demodb::generate(o);
        demodb::writeSettings(QString::fromStdString(o.folder), s);
        std::cout << s.cereri << " cereri, " << s.oameni << " membri in " << o.folder << '\n';
    } catch (const std::exception& e) {
        std::cerr << "Eroare: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
