// MANIFEST.csv of the monthly package and its .zip: every file of the
// package folder with its recipient, rows, amount total, size and SHA-256.
#pragma once

#include "package/PackageRequest.h"

#include <QList>

namespace hestavo {

// Every file below packageFolder (sorted by path), with size and digest; a
// file the outputs named keeps their recipient, rows and total, any other
// file takes the recipient of its top folder ("Pachet" at the top).
QList<PackageFile> ListPackageFiles(const QString& packageFolder, const QList<PackageFile>& written);

// "Fisier;Destinatar;Randuri;Total;Octeti;SHA256", then one line per file
// (UTF-8, ";" between fields, "." in amounts, an empty field where a file has
// no rows or no total).
void WriteManifest(const QString& path, const QList<PackageFile>& files);

// The folder as a zip archive whose entries start with the folder's name.
void WritePackageZip(const QString& packageFolder, const QString& zipPath);

} // namespace hestavo
