#include "register/ApplicationChecks.h"

#include "data/Db.h"
#include "register/AdminValues.h"
#include "register/Cnp.h"
#include "register/RegisterQueries.h"

#include <cmath>

namespace hestavo {

namespace {

using Problems = std::vector<ApplicationProblem>;

ApplicationProblem Refusal(const QString& text, ApplicationField field)
{
    return {text, field, QString(), QString(), kKindError, QString()};
}

ApplicationProblem Question(const QString& title, const QString& text, const QString& question,
                            ApplicationField field, int kind = kKindWarning)
{
    return {text, field, question, title, kind, QString()};
}

Money LargestAmount(const char* column)
{
    return Money(std::pow(10.0, ApplicationIntegerDigits(column))) * kMoneyUnit - kMoneyUnit / 100;
}

// The fields one by one: each refusal ends the list, as the editor stops at the
// first field it points at.
bool CheckFields(const ApplicationRecord& r, int month, Problems& out)
{
    const auto refuse = [&out](const QString& text, ApplicationField field) {
        out.push_back(Refusal(text, field));
        return false;
    };
    if (!Cnp::isValid(r.cnp))
        out.push_back(Question("Verificare date", "\rCNP incorect!", "Continuam asa?", ApplicationField::Cnp, kKindError));
    if (r.number <= 0 || r.number > LargestAmount("NR_CERE") / kMoneyUnit)
        return refuse("Numar de cerere incorect!", ApplicationField::Number);
    if (!r.date.isValid())
        return refuse("Lipseste data cererii!", ApplicationField::Date);
    const int year = r.firstAidMonth / 12;
    if (year < 2021 || year > 2300)
        return refuse("Anul este incorect!", ApplicationField::StartYear);
    if (r.withAid && (r.aidMonths < 1 || r.aidMonths > 5))
        return refuse("Perioada incorecta pentru Ajutor!", ApplicationField::Period);
    if (r.applicant.isEmpty())
        return refuse("Lipseste numele si prenumele titularului!", ApplicationField::Applicant);
    if (r.applicant.size() > ApplicationTextWidth("TITULAR"))
        return refuse(QStringLiteral("Numele titularului are mai mult de %1 de caractere!").arg(ApplicationTextWidth("TITULAR")),
                      ApplicationField::Applicant);
    if (r.locality.isEmpty())
        return refuse("Lipseste Localitatea titularului!", ApplicationField::Locality);
    if (r.locality.size() > ApplicationTextWidth("LOCALIT"))
        return refuse("Localitatea este prea lunga!", ApplicationField::Locality);
    if (r.address.size() > ApplicationTextWidth("ADRESA"))
        return refuse("Adresa este prea lunga!", ApplicationField::Address);
    if (r.members < 1 || r.members > LargestAmount("NR_MEMBRI") / kMoneyUnit)
        return refuse("Numar de membri incorect!", ApplicationField::Members);
    if (r.totalIncome < 0 || r.totalIncome > LargestAmount("TVENIT"))
        return refuse("Venitul total este prea mare!", ApplicationField::Income);
    if (!ApplicationStatuses().contains(r.status))
        return refuse("Statut incorect! (" + ApplicationStatuses().join(", ") + ")", ApplicationField::Status);
    if (StatusNeedsReason(r.status) && r.reason.trimmed().isEmpty())
        return refuse("Nu ati scris motivul!", ApplicationField::Reason);
    if (r.reason.size() > ApplicationTextWidth("MOTIVR"))
        return refuse("Motivul este prea lung!", ApplicationField::Reason);
    if (r.children14 < 0 || r.children18 < 0 || r.children14 + r.children18 > r.members - 1)
        return refuse("Mai multi copii decat membri!", ApplicationField::Children);
    if (r.occupation.size() > ApplicationTextWidth("SITPROF"))
        return refuse("Situatia profesionala este prea lunga!", ApplicationField::Occupation);
    if (month == 0)
        return refuse("Luna in lucru incorecta!", ApplicationField::Members);
    return true;
}

// The register: the same applicant, number or member in the month. An absent
// CNP identifies no one and is not searched for.
bool CheckRegister(const ApplicationRecord& r, int month, qint64 self, Problems& out)
{
    const bool hasCnp = !r.cnp.isEmpty();
    if (hasCnp && ApplicantInMonth(r.cnp, month, self))
        out.push_back(Question("CNP existent", "Exista deja acest titular in luna aceasta!",
                               "Introducem totusi cererea asa?", ApplicationField::Cnp));
    if (NumberInMonth(r.number, r.date.year(), month, self)) {
        out.push_back(Refusal("Mai exista acest numar de cerere in luna aceasta!", ApplicationField::Number));
        return false;
    }
    if (const auto member = hasCnp ? NonBeneficiaryMemberInMonth(r.cnp, month) : std::nullopt)
        out.push_back(Question("Validare Cerere",
                               "\rAcest CNP exista la Cererea \r" + member->number + " la Membrul: " + member->name,
                               "Continuam asa?", ApplicationField::Cnp));
    return true;
}

} // namespace

const QStringList& ApplicationStatuses()
{
    static const QStringList statuses{"APROBAT", "MODIFICAT", "INCETAT", "RESPINS"};
    return statuses;
}

bool StatusNeedsReason(const QString& status)
{
    return status == QLatin1String("INCETAT") || status == QLatin1String("RESPINS");
}

int ApplicationTextWidth(const char* column) { return columnSize(cereriColumns(), QLatin1String(column)).width; }

int ApplicationIntegerDigits(const char* column)
{
    return columnSize(cereriColumns(), QLatin1String(column)).integerDigits();
}

std::vector<ApplicationProblem> CheckApplication(const ApplicationRecord& r, int month, qint64 self)
{
    Problems out;
    if (!CheckFields(r, month, out) || !CheckRegister(r, month, self, out))
        return out;
    // An active application must qualify, whatever the heating-aid box.
    if (IsActiveStatus(r.status) && AidForIncome(r.members, true, double(r.totalIncome) / kMoneyUnit) == 0) {
        ApplicationProblem p = Refusal("Cererea NU poate fi " + r.status + "A!", ApplicationField::Status);
        p.announcement = QStringLiteral("\rCererea NU se incadreaza pentru ajutor!");
        out.push_back(p);
    }
    return out;
}

} // namespace hestavo
