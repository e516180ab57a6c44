#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/source_tree.h"
#include "model/diagnostics.h"

namespace noc::model {

/// The description a run reads, and the others of the same name below the base directory.
struct DescriptionLookup {
  std::string path;               ///< empty when there is none
  std::vector<std::string> also;  ///< other files of that name, by path
  bool in_base_dir = false;       ///< the one taken lies directly in the base directory
};

/// Finds the description `name` below the tree's base directory: the one directly in the base
/// directory when there is one, else the last of that name by path. With `name_may_be_path`, a name
/// with a folder part
/// ("sub2/alt.json") is a path below the base directory instead. A base directory that is
/// missing or is a file is an error of its own.
DescriptionLookup find_description(const SourceTree& tree, const std::string& name,
                                   bool name_may_be_path);

/// The message for a name found nowhere below the base directory.
std::string no_description(const std::string& name, const std::string& base_dir = {});

/// The warning for a name found more than once: the walk order, which picks one, is the file
/// system's and may differ between machines. Nothing when the name was found once.
std::optional<Diagnostic> duplicate_description(const DescriptionLookup& lookup,
                                                const std::string& base_dir);

}  // namespace noc::model
