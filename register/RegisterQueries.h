// The register's look-ups used by the editor and its dialogs: an applicant's
// latest application, the same applicant, number, member or supply contract
// already in a month. Throws engine::Error.
#pragma once

#include "register/ApplicationRecord.h"

#include <optional>

namespace hestavo {

struct FoundApplication {
    qint64 key = 0;        // NRCRT
    int month = 0;         // LUNACRT
    ApplicationRecord record;
};

// The application of this key; none when it does not exist.
std::optional<FoundApplication> ApplicationByKey(qint64 key);
// The applicant's most recent application (highest LUNACRT) of all months.
std::optional<FoundApplication> LatestApplicationOf(const QString& cnp);
// An application of the month with this applicant's CNP, other than exceptKey (-1: none excluded).
bool ApplicantInMonth(const QString& cnp, int month, qint64 exceptKey);
// An application of the month with this number in this year of DATACERE, other than exceptKey.
bool NumberInMonth(qint64 number, int year, int month, qint64 exceptKey);

struct Holder {
    QString number;   // NR_CERE of the application
    QString date;     // its DATACERE, dd.MM.yyyy
    QString name;     // the member's or the applicant's name
    QString clientCode;
    QString pod;
};
// A member other than a beneficiary, of an application of the month, with this CNP.
std::optional<Holder> NonBeneficiaryMemberInMonth(const QString& cnp, int month);
// A member of an application of the month with this CNP, other than member exceptNrom (-1: none).
std::optional<Holder> MemberInMonth(const QString& cnp, int month, qint64 exceptNrom);
// Another application of the month (not exceptKey) with the same supplier of
// kind 'G', 'E' or 'T' and the same client code, or (G, E) the same
// consumption point when pod is not blank.
std::optional<Holder> ContractInMonth(char kind, const QString& supplier, const QString& clientCode,
                                      const QString& pod, int month, qint64 exceptKey);

} // namespace hestavo
