// The shared steps of the documents that print one record per page from an
// editable RTF template of the data folder: reading values of a Cereri row as
// the documents print them, and writing the pages.
#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace engine { class ResultSet; }
namespace documents { class RtfTemplate; }

namespace hestavo {

// Placeholder and value pairs of one page, in the order they are added.
using PageTags = std::vector<std::pair<QString, QString>>;

QString RowText(const engine::ResultSet& rs, const char* column);
// A date column as "dd.MM.yyyy"; empty when null.
QString RowDate(const engine::ResultSet& rs, const char* column);
// The whole-number part of a number column.
QString RowWhole(const engine::ResultSet& rs, const char* column);
// How a document addresses the holder, by the sex the CNP's first digit
// gives (1, 3, 5, 7 a man; 2, 4, 6, 8 a woman): "domnul" / "doamna" as the
// subject or object, "domnului" / "doamnei" in the genitive and dative. A CNP
// that tells no sex gets both, "domnul/doamna".
struct FormOfAddress {
    QString nominative;
    QString dative;
};
FormOfAddress AddressFor(const QString& cnp);
// The dative form: "domnului" or "doamnei".
QString Salutation(const QString& cnp);

// The tags of the unit's kind, derived once from the kind setting for every
// template: [TIPLOCNOM] / [TIPLOCGEN] in capitals ("ORAȘUL" / "ORAȘULUI"),
// [locnom] / [locgen] in small letters ("orașul" / "orașului").
PageTags UnitKindTags(int tiploc);

// Points `rtf` at the data folder's template `templateFile` and `output`, and
// writes the document's header. Throws DocumentRefusal titled `title`, writing
// nothing, when the template is missing or the output is held open by another
// program or cannot be created.
void BeginFromTemplate(documents::RtfTemplate& rtf, const QString& templateFile, const QString& output,
                       const QString& title);

// Writes the pages to `output` from the data folder's template `templateFile`,
// a page break between pages. Throws DocumentRefusal titled `title`, writing
// nothing, when the template is missing or the output is held open by another
// program or cannot be created.
void WritePages(const QString& templateFile, const QString& output, const std::vector<PageTags>& pages,
                const QString& title);

} // namespace hestavo
