#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/port.h"

namespace noc::model {

/// The value of a name in a constant expression, when it is known.
using NameValue = std::function<std::optional<std::int64_t>(std::string_view name)>;

/// The value of a constant expression as dimensions hold it: decimal and based literals, names
/// (through `value_of`), parentheses, unary + - ~ !, the binary arithmetic, shift, comparison and
/// logical operators, "?:" and $clog2. Nothing when any part of it is not known (a member
/// access such as CONFIG.NOC_FLIT_WIDTH, a function call) or the arithmetic fails.
std::optional<std::int64_t> evaluate_constant(std::string_view expression,
                                              const NameValue& value_of);

/// The number of elements of a run of dimensions ("[CHANNELS-1:0][31:0]"): the product of each
/// range's size; "[N]" counts N elements. Nothing when a bound is not known.
std::optional<std::int64_t> dimension_elements(std::string_view dimensions,
                                               const NameValue& value_of);

/// Each "[...]" of a run of dimensions, brackets included.
std::vector<std::string_view> split_dimensions(std::string_view dimensions);

/// Values of a module's parameters from their defaults, each evaluated in terms of the others.
NameValue parameter_values(const std::vector<rtl::ModuleParameter>& params);

}  // namespace noc::model
