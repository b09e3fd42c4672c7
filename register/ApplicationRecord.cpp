#include "register/ApplicationRecord.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Settings.h"
#include "engine/ResultSet.h"

#include <cmath>

namespace hestavo {

bool IsActiveStatus(const QString& status)
{
    return status == QLatin1String("APROBAT") || status == QLatin1String("MODIFICAT");
}

QString TextLiteral(const QString& text)
{
    QString t = text;
    t.replace(u'"', u' ');
    return u'"' + t + u'"';
}

QString MoneyLiteral(Money value) { return formatFixed(value); }

QString DateLiteral(const QDate& date)
{
    return TextLiteral(date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString());
}

Money ToMoney(double value) { return std::llround(value * kMoneyUnit); }

Money AverageIncome(Money total, int members)
{
    if (members <= 0)
        return 0;
    Money q = total / members;
    const Money twice = 2 * (total % members);
    if (twice > members || (twice == members && q % 2 != 0))
        ++q;
    return q;
}

namespace {

QString Text(const engine::ResultSet& row, const char* column) { return QString::fromStdString(row.text(column)); }
bool Flag(const engine::ResultSet& row, const char* column) { return row.text(column) == "X"; }
QString FlagLiteral(bool on) { return TextLiteral(on ? QStringLiteral("X") : QString()); }

SupplyContract ContractFromRow(const engine::ResultSet& row, const std::string& kind)
{
    SupplyContract c;
    c.holder = QString::fromStdString(row.text("TIT" + kind));
    c.holderCnp = QString::fromStdString(row.text("CNP" + kind));
    c.supplier = QString::fromStdString(row.text("FURN" + kind));
    c.clientCode = QString::fromStdString(row.text("CODCL" + kind));
    if (kind != "T")
        c.pod = QString::fromStdString(row.text("POD" + kind));
    c.amount = ToMoney(row.number("SUMA" + kind));
    return c;
}

void AddContract(QList<QPair<QString, QString>>& out, const SupplyContract& c, const QString& kind)
{
    out << qMakePair("TIT" + kind, TextLiteral(c.holder)) << qMakePair("CNP" + kind, TextLiteral(c.holderCnp))
        << qMakePair("FURN" + kind, TextLiteral(c.supplier)) << qMakePair("CODCL" + kind, TextLiteral(c.clientCode));
    if (kind != QLatin1String("T"))
        out << qMakePair("POD" + kind, TextLiteral(c.pod));
    out << qMakePair("SUMA" + kind, MoneyLiteral(c.amount));
}

} // namespace

ApplicationRecord ApplicationRecord::fromRow(const engine::ResultSet& row)
{
    ApplicationRecord r;
    r.firstAidMonth = int(row.integer("LUNADEC"));
    r.applicant = Text(row, "TITULAR");
    r.cnp = Text(row, "CNP");
    r.locality = Text(row, "LOCALIT");
    r.address = Text(row, "ADRESA");
    r.members = int(row.integer("NR_MEMBRI"));
    r.totalIncome = ToMoney(row.number("TVENIT"));
    r.averageIncome = ToMoney(row.number("VENITM"));
    r.minimumIncome = Flag(row, "L416");
    r.familyAllowance = Flag(row, "ASF");
    r.withAid = Flag(row, "CUAJUT");
    r.solidFuel = ToMoney(row.number("SUMAL"));
    r.gas = ContractFromRow(row, "G");
    r.electricity = ContractFromRow(row, "E");
    r.thermal = ContractFromRow(row, "T");
    r.monthlyAid = int(row.integer("CUANTUM"));
    r.aidMonths = int(row.integer("NR_LUNI"));
    r.totalAid = int(row.integer("TOTAL"));
    r.number = row.integer("NR_CERE");
    if (const auto d = row.date("DATACERE"))
        r.date = QDate(d->year, d->month, d->day);
    r.status = Text(row, "STATUT");
    r.modified = Flag(row, "CUMODIF");
    r.reason = Text(row, "MOTIVR");
    r.civilStatus = Text(row, "STCIV");
    r.schooling = Text(row, "SITSCOL");
    r.rooms = int(row.integer("NRCAM"));
    r.insured = Flag(row, "ASIG");
    r.children14 = int(row.integer("COPII14"));
    r.children18 = int(row.integer("COPII18"));
    r.occupation = Text(row, "SITPROF");
    r.payment = Text(row, "MODPLATA");
    return r;
}

QList<QPair<QString, QString>> ApplicationRecord::columnLiterals() const
{
    QList<QPair<QString, QString>> out;
    out << qMakePair(QStringLiteral("LUNADEC"), QString::number(firstAidMonth))
        << qMakePair(QStringLiteral("TITULAR"), TextLiteral(applicant))
        << qMakePair(QStringLiteral("CNP"), TextLiteral(cnp))
        << qMakePair(QStringLiteral("ADRESA"), TextLiteral(address))
        << qMakePair(QStringLiteral("LOCALIT"), TextLiteral(locality))
        << qMakePair(QStringLiteral("NR_MEMBRI"), QString::number(members))
        << qMakePair(QStringLiteral("TVENIT"), MoneyLiteral(totalIncome))
        << qMakePair(QStringLiteral("VENITM"), MoneyLiteral(averageIncome))
        << qMakePair(QStringLiteral("L416"), FlagLiteral(minimumIncome))
        << qMakePair(QStringLiteral("ASF"), FlagLiteral(familyAllowance))
        << qMakePair(QStringLiteral("CUAJUT"), FlagLiteral(withAid))
        << qMakePair(QStringLiteral("SUMAL"), MoneyLiteral(solidFuel));
    AddContract(out, gas, QStringLiteral("G"));
    AddContract(out, electricity, QStringLiteral("E"));
    AddContract(out, thermal, QStringLiteral("T"));
    out << qMakePair(QStringLiteral("CUANTUM"), QString::number(monthlyAid))
        << qMakePair(QStringLiteral("NR_LUNI"), QString::number(aidMonths))
        << qMakePair(QStringLiteral("TOTAL"), QString::number(totalAid))
        << qMakePair(QStringLiteral("NR_CERE"), QString::number(number))
        << qMakePair(QStringLiteral("DATACERE"), DateLiteral(date))
        << qMakePair(QStringLiteral("STATUT"), TextLiteral(status))
        << qMakePair(QStringLiteral("CUMODIF"), FlagLiteral(modified))
        << qMakePair(QStringLiteral("MOTIVR"), TextLiteral(reason))
        << qMakePair(QStringLiteral("STCIV"), TextLiteral(civilStatus))
        << qMakePair(QStringLiteral("SITSCOL"), TextLiteral(schooling))
        << qMakePair(QStringLiteral("NRCAM"), QString::number(rooms))
        << qMakePair(QStringLiteral("ASIG"), FlagLiteral(insured))
        << qMakePair(QStringLiteral("COPII14"), QString::number(children14))
        << qMakePair(QStringLiteral("COPII18"), QString::number(children18))
        << qMakePair(QStringLiteral("SITPROF"), TextLiteral(occupation))
        << qMakePair(QStringLiteral("MODPLATA"), TextLiteral(payment));
    return out;
}

} // namespace hestavo
