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

/// Reads and parses the description file at `path`. A file written while it is read is an error,
/// "the description changed while it was read; run again", never a mix of two versions.
Description load_description(const std::string& path, const ParseErrorReporter& report);

/// For tests: called with the path once the description's text has been read and before the
/// read is checked, where a writer racing the reader would rewrite it. Empty: nothing.
void set_description_read_hook(std::function<void(const std::string&)> hook);

}  // namespace noc::model
