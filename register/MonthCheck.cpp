#include "register/MonthCheck.h"

#include <memory> // engine/ResultSet.h uses std::unique_ptr

#include "data/Db.h"
#include "engine/Database.h"
#include "register/ApplicationRecord.h"
#include "register/Cnp.h"
#include "register/DocumentRows.h"

#include <QDate>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <tuple>

namespace hestavo {

namespace {

const QStringList kBlocking{"CNP incorect",         "CNP in doua cereri", "Ajutor fara dispozitie",
                            "Venit peste plafon",   "Contract in doua cereri", "Membri diferiti",
                            "Suma pe cerere oprita"};
const QStringList kWarnings{"Fara ajutor", "Data cererii", "Adresa lipsa", "Dispozitie comuna"};

// One application of the month, as far as the rules look at it.
struct CheckedRow {
    qint64 key = 0;
    qint64 number = 0;
    QString holder, cnp, locality, address, status, decision;
    std::optional<QDate> date, decisionDate;
    int members = 0;
    double totalIncome = 0, aid = 0, total = 0;
    std::array<double, 4> supplements{};   // SUMAL, SUMAG, SUMAE, SUMAT
    QString gasSupplier, gasCode, gasPod, electricSupplier, electricCode, electricPod;

    bool anySupplement() const
    {
        return std::any_of(supplements.begin(), supplements.end(), [](double v) { return v > 0; });
    }
};

struct Member {
    qint64 key = 0;
    QString cnp, name;
};

QString Cereri() { return quotedTable(QStringLiteral("Cereri.dbf")); }

QString Text(const engine::ResultSet& rs, const char* column) { return RowText(rs, column).trimmed(); }

std::optional<QDate> DateOf(const engine::ResultSet& rs, const char* column)
{
    if (const auto d = rs.date(column))
        return QDate(d->year, d->month, d->day);
    return std::nullopt;
}

std::vector<CheckedRow> ReadApplications(int month)
{
    auto rs = Db().open(sqlLines({"SELECT NRCRT, NR_CERE, TITULAR, CNP, LOCALIT, ADRESA, STATUT, NR_DISP, DATACERE,",
                                  "DATADISP, NR_MEMBRI, TVENIT, CUANTUM, TOTAL, SUMAL, SUMAG, SUMAE, SUMAT,",
                                  "FURNG, CODCLG, PODG, FURNE, CODCLE, PODE", "FROM " + Cereri(),
                                  "WHERE LUNACRT=" + QString::number(month)}));
    std::vector<CheckedRow> rows;
    for (rs->first(); !rs->eof(); rs->next()) {
        CheckedRow r;
        r.key = rs->integer("NRCRT");
        r.number = rs->integer("NR_CERE");
        r.holder = Text(*rs, "TITULAR");
        r.cnp = Text(*rs, "CNP");
        r.locality = Text(*rs, "LOCALIT");
        r.address = Text(*rs, "ADRESA");
        r.status = Text(*rs, "STATUT");
        r.decision = Text(*rs, "NR_DISP");
        r.date = DateOf(*rs, "DATACERE");
        r.decisionDate = DateOf(*rs, "DATADISP");
        r.members = int(rs->integer("NR_MEMBRI"));
        r.totalIncome = rs->number("TVENIT");
        r.aid = rs->number("CUANTUM");
        r.total = rs->number("TOTAL");
        r.supplements = {rs->number("SUMAL"), rs->number("SUMAG"), rs->number("SUMAE"), rs->number("SUMAT")};
        r.gasSupplier = Text(*rs, "FURNG").toUpper();
        r.gasCode = Text(*rs, "CODCLG").toUpper();
        r.gasPod = Text(*rs, "PODG").toUpper();
        r.electricSupplier = Text(*rs, "FURNE").toUpper();
        r.electricCode = Text(*rs, "CODCLE").toUpper();
        r.electricPod = Text(*rs, "PODE").toUpper();
        rows.push_back(r);
    }
    return rows;
}

std::vector<Member> ReadMembers(int month)
{
    auto rs = Db().open(sqlLines({"SELECT NRCRT, CNP, TITULAR", "FROM " + quotedTable(QStringLiteral("Oameni.dbf")),
                                  "WHERE NRCRT IN (SELECT NRCRT FROM " + Cereri() + " WHERE LUNACRT="
                                      + QString::number(month) + ")"}));
    std::vector<Member> members;
    for (rs->first(); !rs->eof(); rs->next())
        members.push_back({rs->integer("NRCRT"), Text(*rs, "CNP"), Text(*rs, "TITULAR")});
    return members;
}

// Collects the findings of one month; each rule is one pass.
class MonthChecker {
public:
    MonthChecker(int month, const BracketTable& brackets)
        : m_month(month), m_brackets(brackets), m_rows(ReadApplications(month)), m_members(ReadMembers(month))
    {
        for (const CheckedRow& r : m_rows)
            m_byKey.insert(r.key, &r);
    }

    std::vector<MonthFinding> run()
    {
        checkCnps();
        checkSharedCnps();
        checkRows();
        checkSharedContracts();
        checkMemberCounts();
        checkSharedDecisions();
        std::stable_sort(m_findings.begin(), m_findings.end(), [](const MonthFinding& a, const MonthFinding& b) {
            const auto order = [](const MonthFinding& f) { return MonthCheckRules().indexOf(f.rule); };
            return std::make_tuple(a.number, a.key, order(a)) < std::make_tuple(b.number, b.key, order(b));
        });
        return std::move(m_findings);
    }

private:
    void add(const CheckedRow& r, const QString& rule, const QString& detail)
    {
        m_findings.push_back({IsBlockingRule(rule), r.key, r.number, r.holder, rule, detail});
    }
    void addFor(qint64 key, const QString& rule, const QString& detail)
    {
        if (const CheckedRow* r = m_byKey.value(key))
            add(*r, rule, detail);
    }
    QString numbersOf(const QList<qint64>& keys, qint64 except) const
    {
        QStringList numbers;
        for (qint64 k : keys)
            if (k != except && m_byKey.contains(k))
                numbers << QString::number(m_byKey.value(k)->number);
        return numbers.join(QStringLiteral(", "));
    }
    // Every application of a group of more than one gets a finding naming
    // the others; detail(group key, other application numbers).
    void reportGroups(const QHash<QString, QList<qint64>>& groups, const QString& rule,
                      const std::function<QString(const QString&, const QString&)>& detail)
    {
        for (auto g = groups.begin(); g != groups.end(); ++g) {
            QList<qint64> keys = g.value();
            std::sort(keys.begin(), keys.end());
            keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
            if (keys.size() < 2)
                continue;
            for (qint64 key : keys)
                addFor(key, rule, detail(g.key(), numbersOf(keys, key)));
        }
    }

    void checkCnps()
    {
        for (const CheckedRow& r : m_rows)
            if (!Cnp::isValid(r.cnp))
                add(r, "CNP incorect", "titular: \"" + r.cnp + "\"");
        for (const Member& m : m_members)
            if (!Cnp::isValid(m.cnp))
                addFor(m.key, "CNP incorect", "membrul " + m.name + ": \"" + m.cnp + "\"");
    }

    void checkSharedCnps()
    {
        QHash<QString, QList<qint64>> byCnp;
        for (const CheckedRow& r : m_rows)
            if (!r.cnp.isEmpty())
                byCnp[r.cnp] << r.key;
        for (const Member& m : m_members)
            if (!m.cnp.isEmpty())
                byCnp[m.cnp] << m.key;
        reportGroups(byCnp, "CNP in doua cereri", [](const QString& cnp, const QString& others) {
            return "CNP " + cnp + " este si la cererea nr. " + others;
        });
    }

    void checkRows()
    {
        const QDate monthEnd = QDate(m_month / 12, m_month % 12 + 1, 1).addMonths(1).addDays(-1);
        for (const CheckedRow& r : m_rows) {
            checkAid(r);
            checkDate(r, monthEnd);
            if (r.locality.isEmpty() || r.address.isEmpty())
                add(r, "Adresa lipsa", r.locality.isEmpty() ? QStringLiteral("fara localitate") : QStringLiteral("fara adresa"));
        }
    }

    void checkAid(const CheckedRow& r)
    {
        const bool stopped = r.status == QLatin1String("RESPINS") || r.status == QLatin1String("INCETAT");
        if (r.total > 0 && (r.decision.isEmpty() || !r.decisionDate))
            add(r, "Ajutor fara dispozitie",
                r.decision.isEmpty() ? QStringLiteral("fara numar de dispozitie") : QStringLiteral("fara data dispozitiei"));
        if (r.total > 0 && AidForIncome(m_brackets, r.members, true, r.totalIncome) == 0)
            add(r, "Venit peste plafon",
                QStringLiteral("venit %1 lei pentru %2 membri, ajutor %3 lei").arg(r.totalIncome, 0, 'f', 2).arg(r.members).arg(r.total, 0, 'f', 2));
        if (stopped && (r.total > 0 || r.aid > 0 || r.anySupplement()))
            add(r, "Suma pe cerere oprita", "cerere " + r.status + " cu sume");
        if (IsActiveStatus(r.status) && r.total <= 0 && !r.anySupplement())
            add(r, "Fara ajutor", "cerere " + r.status + " fara ajutor si fara supliment");
    }

    void checkDate(const CheckedRow& r, const QDate& monthEnd)
    {
        if (!r.date)
            add(r, "Data cererii", QStringLiteral("fara data"));
        else if (*r.date > monthEnd)
            add(r, "Data cererii", "data " + r.date->toString("dd.MM.yyyy") + " este dupa sfarsitul lunii");
        else if (r.decisionDate && *r.date > *r.decisionDate)
            add(r, "Data cererii",
                "data " + r.date->toString("dd.MM.yyyy") + " este dupa data dispozitiei " + r.decisionDate->toString("dd.MM.yyyy"));
    }

    void checkSharedContracts()
    {
        QHash<QString, QList<qint64>> contracts;
        const auto note = [&contracts](const QString& kind, const QString& supplier, const QString& code, qint64 key) {
            if (!code.isEmpty())
                contracts[kind + "|" + supplier + "|" + code] << key;
        };
        for (const CheckedRow& r : m_rows) {
            note("gaz cod client", r.gasSupplier, r.gasCode, r.key);
            note("gaz POD", QString(), r.gasPod, r.key);
            note("energie electrica cod client", r.electricSupplier, r.electricCode, r.key);
            note("energie electrica POD", QString(), r.electricPod, r.key);
        }
        reportGroups(contracts, "Contract in doua cereri", [](const QString& contract, const QString& others) {
            return contract.section(QLatin1Char('|'), 0, 0) + " " + contract.section(QLatin1Char('|'), 2)
                   + " este si la cererea nr. " + others;
        });
    }

    void checkMemberCounts()
    {
        QHash<qint64, int> counted;
        for (const Member& m : m_members)
            ++counted[m.key];
        for (const CheckedRow& r : m_rows)
            if (counted.value(r.key) != r.members)
                add(r, "Membri diferiti",
                    QStringLiteral("NR_MEMBRI %1, membri inscrisi %2").arg(r.members).arg(counted.value(r.key)));
    }

    void checkSharedDecisions()
    {
        QHash<QString, QSet<QString>> statuses;
        for (const CheckedRow& r : m_rows)
            if (!r.decision.isEmpty())
                statuses[r.decision] << r.status;
        for (const CheckedRow& r : m_rows)
            if (!r.decision.isEmpty() && statuses.value(r.decision).size() > 1) {
                QStringList all = statuses.value(r.decision).values();
                all.sort();
                add(r, "Dispozitie comuna", "dispozitia " + r.decision + " are cereri " + all.join(QStringLiteral(", ")));
            }
    }

    const int m_month;
    const BracketTable& m_brackets;
    const std::vector<CheckedRow> m_rows;
    const std::vector<Member> m_members;
    QHash<qint64, const CheckedRow*> m_byKey;
    std::vector<MonthFinding> m_findings;
};

} // namespace

const QStringList& MonthCheckRules()
{
    static const QStringList rules = kBlocking + kWarnings;
    return rules;
}

bool IsBlockingRule(const QString& rule) { return kBlocking.contains(rule); }

std::vector<MonthFinding> CheckMonth(int monthSerial, const BracketTable& brackets)
{
    return MonthChecker(monthSerial, brackets).run();
}

int BlockingCount(const std::vector<MonthFinding>& findings)
{
    return int(std::count_if(findings.begin(), findings.end(), [](const MonthFinding& f) { return f.blocking; }));
}

namespace {
QString WeightText(bool blocking) { return blocking ? QStringLiteral("BLOCANT") : QStringLiteral("avertisment"); }
} // namespace

workbook::GridData FindingsGrid(const std::vector<MonthFinding>& findings)
{
    using workbook::GridValue;
    workbook::GridData grid;
    grid.titles = {"Gravitate", "Nr. cerere", "NRCRT", "Titular", "Regula", "Detalii"};
    for (const MonthFinding& f : findings)
        grid.rows.push_back({GridValue::fromText(WeightText(f.blocking)), GridValue::fromNumber(double(f.number)),
                             GridValue::fromNumber(double(f.key)), GridValue::fromText(f.holder),
                             GridValue::fromText(f.rule), GridValue::fromText(f.detail)});
    return grid;
}

QStringList FindingsSummary(const std::vector<MonthFinding>& findings)
{
    const int blocking = BlockingCount(findings);
    QStringList lines{QStringLiteral("%1 constatari: %2 blocante, %3 avertismente")
                          .arg(findings.size())
                          .arg(blocking)
                          .arg(int(findings.size()) - blocking)};
    for (const QString& rule : MonthCheckRules()) {
        const auto count = std::count_if(findings.begin(), findings.end(), [&](const MonthFinding& f) { return f.rule == rule; });
        if (count > 0)
            lines << rule + ": " + QString::number(count);
    }
    return lines;
}

} // namespace hestavo
