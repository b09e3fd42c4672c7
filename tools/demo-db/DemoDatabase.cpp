#include "tools/demo-db/DemoDatabase.h"

#include "engine/Database.h"
#include "engine/storage/DbfTable.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace demodb {

const int kBracketLimits[11] = {200, 320, 440, 560, 680, 920, 1040, 1160, 1280, 1386, 2053};
const int kBracketAid[11] = {320, 288, 256, 224, 192, 160, 128, 96, 64, 32, 32};

char cnpControlDigit(const std::string& first12)
{
    static const int weights[12] = {2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (first12[i] - '0') * weights[i];
    int c = sum % 11;
    if (c == 10)
        c = 1;
    return static_cast<char>('0' + c);
}

bool isValidCnp(const std::string& cnp)
{
    if (cnp.size() != 13)
        return false;
    for (char c : cnp)
        if (c < '0' || c > '9')
            return false;
    return cnpControlDigit(cnp.substr(0, 12)) == cnp[12];
}

namespace {

// splitmix64: the same sequence on every platform and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) { return items[below(static_cast<int>(N))]; }
private:
    std::uint64_t m_state;
};

const char* kSurnames[] = {"POPESCU", "IONESCU", "POPA", "RADU", "DUMITRU", "STAN", "STOICA", "GHEORGHE", "MATEI",
                           "CIOBANU", "RUSU", "MUNTEANU", "CONSTANTIN", "MOLDOVAN", "LUPU", "MARIN", "TUDOR",
                           "BALAN", "FLOREA", "DINU", "NEAGU", "SERBAN", "COSTEA", "BARBU", "NISTOR", "ENACHE",
                           "CRISTEA", "IACOB", "OPREA", "TOMA", "ANDREI", "PETRE", "ZAHARIA", "MIHAI", "VASILE",
                           "SANDU", "PAVEL", "MANOLE", "BUCUR", "AVRAM", "DOBRE", "URSU", "CHIRIAC", "HUTANU",
                           "COJOCARU", "OLARU", "PRISACARU", "AGAPIE", "BOGDAN", "ROTARU"};
const char* kMen[] = {"ION", "GHEORGHE", "VASILE", "CONSTANTIN", "NICOLAE", "MIHAI", "ANDREI", "ALEXANDRU",
                      "DUMITRU", "STEFAN", "PETRU", "COSTEL", "DANIEL", "FLORIN", "MARIUS", "COSMIN", "ADRIAN",
                      "CATALIN", "IONUT", "GABRIEL", "VIOREL", "NECULAI", "TOADER", "DAN"};
const char* kWomen[] = {"MARIA", "ELENA", "IOANA", "ANA", "GEORGETA", "MIHAELA", "ANDREEA", "CRISTINA", "DANIELA",
                        "GABRIELA", "MARIANA", "RODICA", "VIORICA", "FLORENTINA", "ALINA", "ELISABETA", "ANGELA",
                        "LUMINITA", "CARMEN", "OANA", "DOINA", "AURELIA", "VERONICA", "IRINA"};
const char* kLocalities[] = {"Bacau", "Margineni", "Letea Veche", "Sascut", "Parincea", "Hemeius", "Racaciuni",
                             "Nicolae Balcescu", "Faraoani", "Cleja", "Valea Seaca", "Gioseni"};
const char* kStreets[] = {"Str. Principala", "Str. Bisericii", "Str. Scolii", "Str. Morii", "Str. Garii",
                          "Str. Livezii", "Str. Viilor", "Str. Primaverii", "Str. Unirii", "Str. Mihai Eminescu",
                          "Str. Stefan cel Mare", "Str. Republicii", "Str. Florilor", "Str. Salcamilor"};
const char* kGasSuppliers[] = {"ENGIE ROMANIA SA", "E.ON ENERGIE ROMANIA SA", "PREMIER ENERGY SRL"};
const char* kPowerSuppliers[] = {"ELECTRICA FURNIZARE SA", "E.ON ENERGIE ROMANIA SA", "ENEL ENERGIE SA",
                                 "CEZ VANZARE SA"};
const char* kHeatSuppliers[] = {"THERMOENERGY GROUP SA", "TERMOFICARE BACAU SRL"};
const char* kCivil[] = {"C", "N", "UC", "DF", "V", "D"};
const char* kSchool[] = {"FS", "G", "M", "S"};
const char* kProf[] = {"salariat", "pensionar", "somer", "student", "independent", "lucrator agricol",
                       "lucrator ocazional", "elev", "indemnizatie handicap", "fara venituri"};
const char* kReasons[] = {"Venitul pe membru depaseste plafonul legal", "Nu a prezentat actele solicitate",
                          "Detine bunuri care exclud acordarea ajutorului", "S-a mutat din localitate"};

struct Person {
    std::string name;
    std::string cnp;
    std::string role;
    double income = 0;
    int age = 0;
};

struct Household {
    std::vector<Person> members;
    std::string locality, address;
    int bracket = 0;
    double total = 0;
    std::string status, reason, civil, school, prof, payment;
    bool l416 = false, asf = false, heating = false, insured = false;
    bool gas = false, power = false, heat = false, powerOnly = false;
    std::string gasSupplier, gasClient, gasPod, powerSupplier, powerClient, powerPod, heatSupplier, heatClient;
    int rooms = 1;
};

std::string makeCnp(Random& r, bool male, int birthYear, int county)
{
    char buf[16];
    const int s = birthYear >= 2000 ? (male ? 5 : 6) : (male ? 1 : 2);
    std::snprintf(buf, sizeof buf, "%d%02d%02d%02d%02d%03d", s, birthYear % 100, r.between(1, 12), r.between(1, 28),
                  county, r.between(1, 999));
    std::string first12(buf);
    return first12 + cnpControlDigit(first12);
}

std::string digits(Random& r, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>('0' + r.below(10));
    if (s[0] == '0')
        s[0] = '1';
    return s;
}

Household makeHousehold(Random& r, int referenceYear)
{
    Household h;
    const std::string surname = r.pick(kSurnames);
    static const int sizes[] = {1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4, 5, 6};
    const int n = r.pick(sizes);
    const bool maleHead = r.chance(55);
    auto addPerson = [&](const std::string& role, bool male, int age) {
        Person p;
        p.name = surname + " " + (male ? r.pick(kMen) : r.pick(kWomen));
        p.age = age;
        p.cnp = makeCnp(r, male, referenceYear - age, 4);
        p.role = role;
        h.members.push_back(p);
    };
    addPerson("beneficiar", maleHead, r.between(24, 85));
    int children = 0;
    for (int i = 1; i < n; ++i) {
        if (i == 1 && r.chance(75))
            addPerson("partener", !maleHead, std::max(20, h.members[0].age + r.between(-6, 6)));
        else if (r.chance(80)) {
            addPerson("copil", r.chance(50), r.between(0, 17));
            ++children;
        } else
            addPerson("adult", r.chance(50), r.between(18, 90));
    }
    // Income per member inside one of the eleven brackets; the last one only
    // for people living alone.
    h.bracket = n == 1 ? r.below(11) : r.below(10);
    const int lo = h.bracket == 0 ? 0 : kBracketLimits[h.bracket - 1];
    const int hi = kBracketLimits[h.bracket];
    // From one ban above the lower limit up to the upper limit itself.
    const double perMember = lo + (1 + r.below((hi - lo) * 100)) / 100.0;
    h.total = std::round(perMember * n * 100) / 100;
    // The income is earned by the adults; children bring none.
    std::vector<int> earners;
    for (int i = 0; i < n; ++i)
        if (h.members[i].role != "copil")
            earners.push_back(i);
    double left = h.total;
    for (size_t k = 0; k < earners.size(); ++k) {
        double share = k + 1 == earners.size() ? left : std::round(left * r.between(40, 70)) / 100;
        h.members[earners[k]].income = share;
        left = std::round((left - share) * 100) / 100;
    }
    h.locality = r.pick(kLocalities);
    h.address = std::string(r.pick(kStreets)) + " nr. " + std::to_string(r.between(1, 250));
    const int s = r.below(100);
    h.status = s < 85 ? "APROBAT" : s < 92 ? "MODIFICAT" : s < 97 ? "INCETAT" : "RESPINS";
    if (h.status == "INCETAT" || h.status == "RESPINS")
        h.reason = r.pick(kReasons);
    h.l416 = r.chance(6);
    h.asf = children > 0 && r.chance(25);
    h.heating = r.chance(70);
    h.gas = !h.heating && r.chance(60);
    h.power = r.chance(45);
    h.powerOnly = h.power && !h.gas && !h.heating && r.chance(50);
    h.heat = !h.gas && !h.heating && r.chance(30);
    if (h.gas) {
        h.gasSupplier = r.pick(kGasSuppliers);
        h.gasClient = digits(r, 10);
        h.gasPod = "DEG" + digits(r, 7) + "0" + digits(r, 4);
    }
    if (h.power) {
        h.powerSupplier = r.pick(kPowerSuppliers);
        h.powerClient = digits(r, 9);
        h.powerPod = "RO005E" + digits(r, 9);
    }
    if (h.heat) {
        h.heatSupplier = r.pick(kHeatSuppliers);
        h.heatClient = digits(r, 8);
    }
    h.civil = r.pick(kCivil);
    h.school = r.pick(kSchool);
    h.prof = r.pick(kProf);
    h.payment = r.chance(80) ? "CEC" : "OP";
    h.insured = r.chance(20);
    h.rooms = r.between(1, 4);
    return h;
}

int aidFor(const Household& h)
{
    return kBracketAid[h.bracket];
}

using engine::storage::FieldValue;

FieldValue text(const std::string& s) { return s.empty() ? FieldValue::null() : FieldValue::ofText(s); }
FieldValue num(double v) { return FieldValue::ofNumber(v); }

const char* kCreateCereri =
    "(NRCRT DECIMAL(12,0), LUNADEC DECIMAL(10,0), LUNACRT DECIMAL(10,0), TITULAR CHAR(32), CNP CHAR(13),\n"
    " LOCALIT CHAR(60), ADRESA CHAR(60), NR_MEMBRI DECIMAL(5,0), TVENIT DECIMAL(10,2), VENITM DECIMAL(10,2),\n"
    " L416 CHAR(1), ASF CHAR(1), CUAJUT CHAR(1), SUMAL DECIMAL(10,2), TITG CHAR(32), CNPG CHAR(13),\n"
    " FURNG CHAR(60), CODCLG CHAR(40), PODG CHAR(40), SUMAG DECIMAL(10,2), TITE CHAR(32), CNPE CHAR(13),\n"
    " FURNE CHAR(60), CODCLE CHAR(40), PODE CHAR(40), SUMAE DECIMAL(10,2), TITT CHAR(32), CNPT CHAR(13),\n"
    " FURNT CHAR(60), CODCLT CHAR(40), SUMAT DECIMAL(10,2), CUANTUM DECIMAL(10,2), NR_LUNI DECIMAL(5,0),\n"
    " TOTAL DECIMAL(10,2), NR_DISP CHAR(16), NR_CERE DECIMAL(10,0), NR_REF DECIMAL(10,0), DATACERE DATE,\n"
    " DATADISP DATE, STATUT CHAR(10), CUMODIF CHAR(1), MOTIVR CHAR(80), STCIV CHAR(2), SITSCOL CHAR(2),\n"
    " NRCAM DECIMAL(6,0), ASIG CHAR(1), COPII14 DECIMAL(6,0), COPII18 DECIMAL(6,0), SITPROF CHAR(24),\n"
    " MODPLATA CHAR(8))";

} // namespace

Summary generate(const Options& o)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(o.folder, ec);
    const std::string cereri = (fs::path(o.folder) / "Cereri.dbf").string();
    const std::string oameni = (fs::path(o.folder) / "Oameni.dbf").string();
    const std::string log = (fs::path(o.folder) / "LOG.DBF").string();
    for (const auto& f : {cereri, oameni, log}) {
        if (fs::exists(f)) {
            if (!o.overwrite)
                throw engine::Error("Fisierul \"" + f + "\" exista deja");
            fs::remove(f);
        }
    }
    {
        engine::Database db;
        db.exec({"CREATE TABLE \"" + log + "\"",
                 "(IDLOG DECIMAL(10,0), DATAL DATE, ORA CHAR(12), ACTIUNE CHAR(120), UTILIZATOR CHAR(16))"});
        db.exec({"CREATE TABLE \"" + cereri + "\"", kCreateCereri});
        db.exec({"CREATE TABLE \"" + oameni + "\"",
                 "(NROM DECIMAL(10,0), NRCRT DECIMAL(12,0), TITULAR CHAR(32), CNP CHAR(13), VENIT DECIMAL(10,2),",
                 " CALITATE CHAR(12))"});
    }

    Random r(o.seed);
    const int firstYear = o.firstMonth / 12;
    std::vector<Household> households;
    households.reserve(o.households);
    for (int i = 0; i < o.households; ++i)
        households.push_back(makeHousehold(r, firstYear));

    auto tc = engine::storage::DbfTable::open(cereri);
    auto to = engine::storage::DbfTable::open(oameni);
    tc.beginBatch();
    to.beginBatch();
    Summary sum;
    long long nrcrt = 0, nrom = 0;
    for (int m = 0; m < o.months; ++m) {
        const int serial = o.firstMonth + m;
        sum.monthSerials.push_back(serial);
        const int month = serial % 12 + 1;
        const int year = serial / 12;
        // Months of aid left in the heating season (November to March).
        const int monthsLeft = month == 10 || month == 11 ? 5 : month == 12 ? 4 : month <= 3 ? 4 - month : 0;
        int decision = 1;
        for (int i = 0; i < o.households; ++i) {
            const Household& h = households[i];
            ++nrcrt;
            const bool active = h.status == "APROBAT" || h.status == "MODIFICAT";
            const int n = static_cast<int>(h.members.size());
            const double perMember = std::round(h.total / n * 100) / 100;
            const int aid = h.heating && active ? aidFor(h) : 0;
            const double sumL = h.heating && active ? 20 : 0;
            const double sumG = h.gas && active ? 10 : 0;
            const double sumE = h.power && active ? (h.powerOnly ? 70 : 30) : 0;
            const double sumT = h.heat && active ? 10 : 0;
            const bool numbered = r.chance(90) || m + 1 < o.months;
            engine::Date applied{year, month, r.between(1, 20)};
            engine::Date decided{year, month, std::min(28, applied.day + r.between(1, 8))};
            const Person& head = h.members[0];
            int c14 = 0, c18 = 0;
            for (const auto& p : h.members) {
                if (p.role == "copil" && p.age <= 14) ++c14;
                else if (p.role == "copil") ++c18;
            }
            std::vector<FieldValue> row = {
                num(nrcrt), num(o.firstMonth), num(serial), text(head.name), text(head.cnp), text(h.locality),
                text(h.address), num(n), num(h.total), num(perMember), text(h.l416 ? "X" : ""),
                text(h.asf ? "X" : ""), text(h.heating ? "X" : ""), num(sumL),
                text(h.gas ? head.name : ""), text(h.gas ? head.cnp : ""), text(h.gasSupplier), text(h.gasClient),
                text(h.gasPod), num(sumG),
                text(h.power ? head.name : ""), text(h.power ? head.cnp : ""), text(h.powerSupplier),
                text(h.powerClient), text(h.powerPod), num(sumE),
                text(h.heat ? head.name : ""), text(h.heat ? head.cnp : ""), text(h.heatSupplier), text(h.heatClient),
                num(sumT), num(aid), num(monthsLeft), num(aid * monthsLeft),
                text(numbered ? std::to_string(decision) : ""), num(i + 1), num(numbered ? decision : 0),
                FieldValue::ofDate(applied), numbered ? FieldValue::ofDate(decided) : FieldValue::null(),
                text(h.status), text(h.status == "MODIFICAT" ? "X" : ""), text(h.reason), text(h.civil),
                text(h.school), num(h.rooms), text(h.insured ? "X" : ""), num(c14), num(c18), text(h.prof),
                text(h.payment)};
            if (numbered)
                ++decision;
            tc.append(row);
            for (const Person& p : h.members) {
                to.append({num(++nrom), num(nrcrt), text(p.name), text(p.cnp), num(p.income), text(p.role)});
                ++sum.oameni;
            }
            ++sum.cereri;
        }
    }
    engine::storage::DbfTable::commitBatches({&tc, &to});
    return sum;
}

} // namespace demodb
