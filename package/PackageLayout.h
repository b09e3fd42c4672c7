// Where the monthly package keeps each recipient's files: one subfolder per
// recipient below "Pachet_<LL>_<AAAA>", named as the single commands name
// their own folders, and the two files of the package itself.
#pragma once

#include <QString>

namespace hestavo {

inline const QString kPackageAjpis = QStringLiteral("LEMNE_AJPIS");
inline const QString kPackageCounty = QStringLiteral("LEMNE_AJPIS_BACAU");
inline const QString kPackageAnpis = QStringLiteral("ANPIS");
inline const QString kPackageAnaf = QStringLiteral("ANAF_F2201");
inline const QString kPackageTreasury = QStringLiteral("Lemne_Trezorerie");
inline const QString kPackageSuppliers = QStringLiteral("LEMNE_FURNIZORI");
inline const QString kPackagePaymentList = QStringLiteral("Stat_de_plata.xls");
inline const QString kPackageManifest = QStringLiteral("MANIFEST.csv");
inline const QString kPackageVerification = QStringLiteral("VERIFICARE.txt");

// "Pachet_" + LL + "_" + AAAA for a working month "LL.AAAA".
inline QString PackageFolderName(const QString& workingMonth)
{
    return "Pachet_" + workingMonth.left(2) + "_" + workingMonth.mid(3, 4);
}

} // namespace hestavo
