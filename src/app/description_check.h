#pragma once

#include <functional>
#include <optional>
#include <string>

#include <vector>

#include "app/diagnostic.h"
#include "model/description.h"
#include "route/routing.h"
#include "rtl/extract_rtl.h"

namespace noc::app {

/// A description read for checking, and every problem found in it.
struct CheckReport {
  std::string description_path;
  std::optional<model::Description> description;  ///< absent when it could not be read at all
  std::vector<Diagnostic> diagnostics;
  /// Every file read: the description, then the sources and headers.
  std::vector<std::string> inputs;
};

/// Finds the description named `description_name` below `base_dir` (the last match of the walk,
/// as the generator does) and reports every problem at once: errors that would end a generation
/// and warnings for what generates silently but gives broken hardware. Writes nothing.
/// With `name_may_be_path`, a name with a folder part is a path below `base_dir`. `warnings`
/// drops the waived warnings and marks those the user made errors. With `routing`, a design
/// without errors is routed so, and routes that can deadlock or lose packets are NOC028 errors.
CheckReport check_description(const std::string& base_dir, const std::string& description_name,
                              const rtl::RtlOptions& rtl_options = {},
                              bool name_may_be_path = false,
                              const std::function<void()>& check_interrupt = {},
                              const model::WarningPolicy& warnings = {},
                              std::optional<route::Algorithm> routing = {});

}  // namespace noc::app
