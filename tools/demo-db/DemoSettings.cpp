#include "tools/demo-db/DemoSettings.h"

#include "data/Months.h"
#include "data/Settings.h"
#include "data/Version.h"

#include <QDir>

namespace demodb {

void writeSettings(const QString& folder, const Summary& summary)
{
    const QString file = QDir(folder).filePath(QStringLiteral("Hestavo.set"));
    auto set = [&file](const char* section, const QString& key, const QString& value) {
        writeIniText(file, QString::fromLatin1(section), key, value);
    };
    set("SETARI", "UAT", "Municipiul");
    set("SETARI", "PRIMARIA", "Bacau");
    set("SETARI", "SIRUES", "4278337");
    set("SETARI", "JUDET", "BACAU");
    set("SETARI", "CODJUD", "04");
    set("SETARI", "TIPLOC", "2");
    set("SETARI", "PRIMAR", "Ion Popescu");
    set("SETARI", "VICEPRIMAR", "Maria Ionescu");
    set("SETARI", "CONTABIL", "Elena Stan");
    set("SETARI", "INTOCMIT", "Andreea Radu");
    set("SETARI", "DIRECTOR", "Mihai Stoica");
    for (int i = 0; i < 11; ++i) {
        set("SETARI", QStringLiteral("Lim%1").arg(i + 1), QString::number(kBracketLimits[i]));
        set("SETARI", QStringLiteral("Cu%1").arg(i + 1), QString::number(kBracketAid[i]));
    }
    const struct {
        const char* key;
        int amount;
    } supplements[] = {{"IndL", 20}, {"IndG", 10}, {"IndT", 10}, {"IndE", 30}, {"IndE2", 70}};
    for (const auto& s : supplements)
        set("SETARI", QString::fromLatin1(s.key), QString::number(s.amount));
    writeIniNumber(file, QStringLiteral("SERVER"), QStringLiteral("Versiune"), kVersion);

    QStringList months;
    for (int serial : summary.monthSerials)
        months.prepend(SerialToMonth(serial));   // newest first, as the form adds them
    writeLineList(QDir(folder).filePath(QStringLiteral("Luni.lst")), months);
    set("VARIABILE", "LUNA_LUCRU", months.value(0));
}

} // namespace demodb
