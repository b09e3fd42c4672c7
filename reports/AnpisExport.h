// The ANPIS data file of a working month: the applications with a total aid
// above 0, their address, rights (heating aid and energy supplements),
// household members and income, as one UTF-8 XML document carried in
// attributes, named "Date_" + fiscal code + "v2.xml".
#pragma once

#include <QByteArray>
#include <QString>

namespace hestavo {

struct AnpisOutcome {
    QString file;          // full path of the file written
    int applications = 0;  // cereri elements
    int persons = 0;       // persoaneM elements
    int cleanedValues = 0; // values whose characters XML cannot carry were dropped
};

// "Date_" + fiscal code + "v2.xml" for the fiscal code of the settings.
QString AnpisFileName();

// The document for the working month (MM.YYYY) from the data folder's tables
// and settings. Throws ExportError "Nu aveti nicio cerere aprobata!" when no
// application of the month has a total above 0.
QByteArray BuildAnpisXml(const QString& workingMonth, AnpisOutcome* outcome);

// Builds the document and writes it into folder (an existing file is replaced
// only once the new one is complete; asking first is the caller's business).
AnpisOutcome WriteAnpisXml(const QString& workingMonth, const QString& folder);

} // namespace hestavo
