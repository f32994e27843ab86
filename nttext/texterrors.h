#pragma once

#include "errors.h"

#include <string>

namespace nttext {

// The companion file of the Greek text could not be found or read; what() names the file and the reason.
class TextFileError : public cardstore::Error
{
public:
    using cardstore::Error::Error;
    const char* kind() const noexcept override { return "TextFileError"; }
};

} // namespace nttext
