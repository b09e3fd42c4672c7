// The menu commands "Import din VMG" and "Import din ASF" of the working-month
// window: the archive chooser, the progress window and the messages around
// ImportHouseholds().
#pragma once

#include "register/HouseholdImport.h"

class QWidget;

namespace hestavo {

// Imports into the stored working month; refused when there is none.
void RunHouseholdImport(QWidget* parent, ImportKind kind);

} // namespace hestavo
