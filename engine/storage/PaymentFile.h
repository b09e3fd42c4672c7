// The treasury payment file: a Visual FoxPro table (version 0x30, code page
// mark 0x03, 584-byte header with the 263-byte backlink area) of nine fixed
// columns, one record per payment.
#pragma once

#include "engine/Value.h"

#include <string>
#include <vector>

namespace engine::storage {

struct Payment {
    std::string codJud;    // CODJUD    C 2
    std::string codFisc;   // CODFISC   C 10
    std::string cnp;       // CNP       C 13
    std::string codAjut;   // CODAJUT   C 3
    std::string numePren;  // NUMEPREN  C 60
    double nrPers = 0;     // NRPERS    N 2
    double suma = 0;       // SUMA      N 10,2
    Date dtPlatCrt;        // DTPLATCRT D
    Date dataPrel;         // DATA_PREL D
};

// The bytes of the empty payment table (what the embedded "ModelTrz"
// template holds).
std::string emptyPaymentFile();

// Writes the empty payment table to path, replacing an existing file.
void createPaymentFile(const std::string& path);

// Appends payments to an existing payment file (through DbfTable, in one
// atomic batch). Throws engine::Error naming the file and column when a value
// does not fit.
void appendPayments(const std::string& path, const std::vector<Payment>& payments);

} // namespace engine::storage
