#include "register/Counties.h"

namespace hestavo {

namespace {

struct County {
    const char* name;
    const char* abbreviation;
};

constexpr County kCounties[] = {
    {"ALBA", "AB"},          {"ARAD", "AR"},           {"ARGES", "AG"},        {"BACAU", "BC"},
    {"BIHOR", "BH"},         {"BISTRITA-NASAUD", "BN"}, {"BOTOSANI", "BT"},    {"BRASOV", "BV"},
    {"BRAILA", "BR"},        {"BUZAU", "BZ"},          {"CARAS-SEVERIN", "CS"}, {"CALARASI", "CL"},
    {"CLUJ", "CJ"},          {"CONSTANTA", "CT"},      {"COVASNA", "CV"},      {"DAMBOVITA", "DB"},
    {"DOLJ", "DJ"},          {"GALATI", "GL"},         {"GIURGIU", "GR"},      {"GORJ", "GJ"},
    {"HARGHITA", "HR"},      {"HUNEDOARA", "HD"},      {"IALOMITA", "IL"},     {"IASI", "II"},
    {"ILFOV", "IF"},         {"MARAMURES", "MM"},      {"MEHEDINTI", "MH"},    {"MURES", "MS"},
    {"NEAMT", "NT"},         {"OLT", "OT"},            {"PRAHOVA", "PH"},      {"SATU-MARE", "SM"},
    {"SALAJ", "SJ"},         {"SIBIU", "SB"},          {"SUCEAVA", "SV"},      {"TELEORMAN", "TR"},
    {"TIMIS", "TM"},         {"TULCEA", "TL"},         {"VASLUI", "VS"},       {"VALCEA", "VL"},
    {"VRANCEA", "VN"},       {"BUCURESTI", "B"},       {"SECTOR 1", "B"},      {"SECTOR 2", "B"},
    {"SECTOR 3", "B"},       {"SECTOR 4", "B"},        {"SECTOR 5", "B"},      {"SECTOR 6", "B"},
};

QStringList Column(bool names)
{
    QStringList list;
    for (const County& c : kCounties)
        list << QString::fromLatin1(names ? c.name : c.abbreviation);
    return list;
}

} // namespace

const QStringList& CountyNames()
{
    static const QStringList list = Column(true);
    return list;
}

const QStringList& CountyAbbreviations()
{
    static const QStringList list = Column(false);
    return list;
}

int CountyIndex(const QString& name)
{
    return int(CountyNames().indexOf(name));
}

QString DefaultCountyCode(int index)
{
    return QString::number(index + 1).rightJustified(2, u'0');
}

} // namespace hestavo
