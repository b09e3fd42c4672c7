// The prerequisite check of the register and the reports, with its message.
#pragma once

namespace hestavo {

// Working month chosen, authority name, county and fiscal code set; otherwise
// shows why (error "Raport AJPIS") and returns false.
bool SettingsComplete();

} // namespace hestavo
