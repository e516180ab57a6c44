#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/description.h"

namespace noc::model {

/// Called with the JSON parser's own message when the text is not valid JSON; the generator
/// prints it as one line before it fails.
using ParseErrorReporter = std::function<void(const std::string&)>;

/// Parses a description held in memory. Invalid JSON is reported to `report` and then thrown as
/// the generator's error with its line and column; so is a top level that is not an object.
Description parse_description(std::string path, std::string_view text,
                              const ParseErrorReporter& report);

/// The same for a text the description then keeps (for columns), without a copy.
Description parse_description(std::string path, std::string&& text,
                              const ParseErrorReporter& report);

/// Reads and parses the description file at `path`.
Description load_description(const std::string& path, const ParseErrorReporter& report);

}  // namespace noc::model
