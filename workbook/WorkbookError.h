// The one error type of the workbook engine. Messages are the user's: in
// Romanian without diacritics, naming the file and what is wrong with it.
#pragma once

#include <stdexcept>
#include <string>

namespace workbook {

class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised by the byte readers when a length or offset points outside the data;
// the workbook classes turn it into a WorkbookError naming the file.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace workbook
