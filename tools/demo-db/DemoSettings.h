// The settings of the demo town hall, written beside the generated tables so
// that the program opens the demo folder as a database of its own version,
// ready to work: "Hestavo.set" (the town hall's identification, the default
// bracket table and supplement amounts, the working month, the schema
// version) and "Luni.lst" with the generated months, newest first.
#pragma once

#include "tools/demo-db/DemoDatabase.h"

#include <QString>

namespace demodb {

void writeSettings(const QString& folder, const Summary& summary);

} // namespace demodb
