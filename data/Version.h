// The program's version, in the fixed-point form of the settings files
// (ten-thousandths): written as SERVER/Versiune into a database it has
// upgraded, and compared with it at every start.
#pragma once

#include <QtGlobal>

constexpr qint64 kVersion = 10098;   // 1.0098
