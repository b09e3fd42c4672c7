// Recalculation of a whole working month: the aid, its total and the
// supplement amounts of every application, from the current bracket table and
// amounts. No widgets here; the window passes a progress sink.
#pragma once

#include "register/AidCalculation.h"

#include <string>

namespace engine { class Database; }

namespace hestavo {

// Progress of a long walk: begin(maximum) once, then step() up to maximum times.
class WorkProgress {
public:
    virtual ~WorkProgress() = default;
    virtual void begin(int maximum) = 0;
    virtual void step() = 0;
};

struct RecalcInput {
    std::string cereriPath;         // full path of the applications table
    int monthSerial = 0;            // LUNACRT of the month to walk
    BracketTable brackets;
    SupplementAmounts amounts;      // the amounts to apply
    // The amounts in force before these were stored: an electricity amount
    // equal to the old only-source amount (and not to the old standard one)
    // marks an only-source dwelling even after IndE2 changed.
    SupplementAmounts previousAmounts;
};

struct RecalcResult {
    int rows = 0;     // rows of the month walked
    int changed = 0;  // rows whose values changed and were written back
};

// Walks the month's rows in one transaction: either every row is
// recalculated or, on an engine error (rethrown), none is.
// Per row: CUANTUM = aid (0 unless CUAJUT is "X" and the status is active),
// TOTAL = NR_LUNI x CUANTUM, positive SUMAL/SUMAG/SUMAT take the current
// amounts, a positive SUMAE takes IndE2 when it held the only-source amount
// (the previous IndE2, or else the current one), IndE otherwise. VENITM is
// left alone.
RecalcResult RecalculateMonth(engine::Database& db, const RecalcInput& input, WorkProgress* progress);

} // namespace hestavo
