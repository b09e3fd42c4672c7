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
// "domnului" when the CNP starts with "1" or "5" (men), otherwise "doamnei".
QString Salutation(const QString& cnp);

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
