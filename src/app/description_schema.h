#pragma once

#include <string_view>

namespace noc::app {

/// The JSON Schema of a network description, as installed beside the tool.
std::string_view description_schema();

}  // namespace noc::app
