#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostics.h"

namespace noc::nocgen {

/// Takes the warning flags (-Wno-NOCxxx, -Werror=NOCxxx) out of a command line, wherever they
/// stand, into `policy`, and returns the rest for the option parser. Throws Error for a code
/// that is no rule's or an error given to -Wno-.
std::vector<char*> take_warning_flags(int argc, char** argv, model::WarningPolicy& policy);

/// The name among `names` that `wrong` most likely misspells (at most two edits; one for a name
/// of five characters or fewer, none for two); empty when none is that close.
std::string closest_name(std::string_view wrong, const std::vector<std::string>& names);

}  // namespace noc::nocgen
