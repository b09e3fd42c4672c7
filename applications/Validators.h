// The validators now live in data/ so that the backup windows below this
// library can use them; this header keeps existing includes working.
#pragma once

#include "data/Validators.h"
