#include "ui/common/CommandGuard.h"

#include "ui/common/MessageDialog.h"

#include <exception>

namespace hestavo {

bool RunCommand(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        MessageDialog::Mesaj("Eroare", QString::fromUtf8(e.what()), kButtonOK, kKindError);
        return false;
    }
}

} // namespace hestavo
