#include "register/AdminSettings.h"

#include "data/Months.h"
#include "data/Settings.h"
#include "register/Counties.h"
#include "data/Validators.h"

namespace hestavo {

namespace {

const QString kSection = QStringLiteral("SETARI");

// A number in the settings: decimal text with "."; an unreadable one counts as
// 0, a missing or empty key keeps the current value.
void ReadNumber(const QString& key, Money& value)
{
    const QString text = ReadSetting(kSection, key).trimmed();
    if (text.isEmpty())
        return;
    value = parseFixed(text);
}

// Supplement amounts are whole lei.
void ReadWholeLei(const QString& key, Money& value)
{
    ReadNumber(key, value);
    value = Money(WholeLei(value)) * kMoneyUnit;
}

} // namespace

const QStringList& AuthorityKinds()
{
    static const QStringList list{"U.A.T.", "Comuna", "Primaria", "Orasul", "Municipiul"};
    return list;
}

const QStringList& LocalityTypes()
{
    static const QStringList list{"COMUNA", "ORASUL", "MUNICIPIUL"};
    return list;
}

UnitKindNames UnitKind(int tiploc)
{
    switch (tiploc) {
    case 1: return {QStringLiteral("orașul"), QStringLiteral("orașului")};
    case 2: return {QStringLiteral("municipiul"), QStringLiteral("municipiului")};
    default: return {QStringLiteral("comuna"), QStringLiteral("comunei")};
    }
}

QString LocalityGenitive(int tiploc)
{
    switch (tiploc) {
    case 1: return QStringLiteral("orasului ");
    case 2: return QStringLiteral("municipiului ");
    default: return QStringLiteral("comunei ");
    }
}

QString CountyAbbreviation(const AdminSettings& s)
{
    const int i = CountyIndex(s.judet);
    return i < 0 ? QString() : CountyAbbreviations().at(i);
}

AdminSettings LoadAdminSettings()
{
    AdminSettings s;
    s.uat = ReadSetting(kSection, "UAT");
    if (!AuthorityKinds().contains(s.uat))
        s.uat = AuthorityKinds().first();
    s.primaria = ReadSetting(kSection, "PRIMARIA");
    s.sirues = ReadSetting(kSection, "SIRUES");
    s.judet = ReadSetting(kSection, "JUDET").toUpper();
    if (CountyIndex(s.judet) < 0)
        s.judet.clear();
    s.codjud = ReadSetting(kSection, "CODJUD");
    s.primar = ReadSetting(kSection, "PRIMAR");
    s.viceprimar = ReadSetting(kSection, "VICEPRIMAR");
    s.contabil = ReadSetting(kSection, "CONTABIL");
    s.intocmit = ReadSetting(kSection, "INTOCMIT");
    s.director = ReadSetting(kSection, "DIRECTOR");
    bool ok = false;
    const int tiploc = ReadSetting(kSection, "TIPLOC").trimmed().toInt(&ok);
    s.tiploc = ok && tiploc >= 0 && tiploc <= 2 ? tiploc : 0;
    for (int i = 0; i < 11; ++i) {
        ReadNumber(QStringLiteral("Lim%1").arg(i + 1), s.brackets.limits[i]);
        ReadNumber(QStringLiteral("Cu%1").arg(i + 1), s.brackets.aids[i]);
    }
    ReadWholeLei("IndL", s.supplements.solid);
    ReadWholeLei("IndG", s.supplements.gas);
    ReadWholeLei("IndT", s.supplements.thermal);
    ReadWholeLei("IndE", s.supplements.electric);
    ReadWholeLei("IndE2", s.supplements.electricOnly);
    s.cuOle = ReadSetting(kSection, "CuOLE") == QLatin1String("DA");
    return s;
}

void StoreAdminSettings(const AdminSettings& s)
{
    WriteSetting(kSection, "UAT", s.uat);
    WriteSetting(kSection, "PRIMARIA", s.primaria);
    WriteSetting(kSection, "TIPLOC", QString::number(s.tiploc));
    WriteSetting(kSection, "SIRUES", s.sirues);
    WriteSetting(kSection, "JUDET", s.judet);
    WriteSetting(kSection, "CODJUD", s.codjud);
    WriteSetting(kSection, "PRIMAR", s.primar);
    WriteSetting(kSection, "VICEPRIMAR", s.viceprimar);
    WriteSetting(kSection, "CONTABIL", s.contabil);
    WriteSetting(kSection, "DIRECTOR", s.director);
    WriteSetting(kSection, "INTOCMIT", s.intocmit);
    for (int i = 0; i < 11; ++i) {
        WriteSettingNumber(kSection, QStringLiteral("Lim%1").arg(i + 1), s.brackets.limits[i]);
        WriteSettingNumber(kSection, QStringLiteral("Cu%1").arg(i + 1), s.brackets.aids[i]);
    }
    WriteSettingNumber(kSection, "IndL", s.supplements.solid);
    WriteSettingNumber(kSection, "IndG", s.supplements.gas);
    WriteSettingNumber(kSection, "IndT", s.supplements.thermal);
    WriteSettingNumber(kSection, "IndE", s.supplements.electric);
    WriteSettingNumber(kSection, "IndE2", s.supplements.electricOnly);
    WriteSetting(kSection, "CuOLE", s.cuOle ? "DA" : "NU");
}

std::optional<QString> SettingsProblem(const QString& workingMonth, const AdminSettings& s)
{
    if (workingMonth.trimmed().isEmpty())
        return QStringLiteral("\rAlegeti mai intai luna de la butonul Perioada!");
    if (s.primaria.trimmed().isEmpty())
        return QStringLiteral("\rCompletati la Administrare denumirea UAT!");
    if (s.judet.trimmed().isEmpty())
        return QStringLiteral("\rAlegeti la Administrare Judetul!");
    if (s.sirues.trimmed().isEmpty())
        return QStringLiteral("\rCompletati la Administrare Codul Fiscal");
    return std::nullopt;
}

void ApplyCountyRule(AdminSettings& s, const QString& previousCounty)
{
    const int i = CountyIndex(s.judet);
    if (i < 0)
        return;
    const int previous = CountyIndex(previousCounty);
    const bool previousOwnCode = previous >= 0 && s.codjud == DefaultCountyCode(previous);
    if (s.codjud.isEmpty() || previousOwnCode)
        s.codjud = DefaultCountyCode(i);
}

std::optional<SaveRefusal> PrepareForSave(AdminSettings& s)
{
    s.primaria = CleanText(s.primaria);
    if (s.primaria.isEmpty())
        return SaveRefusal{SaveRefusal::Name, QStringLiteral("Nu ati completat numele UAT!")};
    if (CountyIndex(s.judet) < 0)
        return SaveRefusal{SaveRefusal::County, QStringLiteral("Nu ati ales Judetul!")};
    s.sirues = CleanText(s.sirues);
    if (s.sirues.isEmpty())
        return SaveRefusal{SaveRefusal::FiscalCode, QStringLiteral("Nu ati scris Codul Fiscal!")};
    if (!IsValidCIF(s.sirues))
        return SaveRefusal{SaveRefusal::FiscalCode, QStringLiteral("Cod Fiscal incorect!")};
    s.codjud = CleanText(s.codjud);
    ApplyCountyRule(s);
    return std::nullopt;
}

} // namespace hestavo
