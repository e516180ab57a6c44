#include "model/design_config.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"
#include "model/dimension_width.h"

namespace noc::model {
namespace {

bool verilog_file(const std::string& path) {
  for (const char* extension : {".sv", ".svh", ".v", ".vh"})
    if (path.ends_with(extension)) return true;
  return false;
}

// Every "NAME: 123" (a member of an assignment pattern) in `text`, by value.
void find_member_values(const std::string& text, const std::string& name, const std::string& path,
                        const std::string& shown, std::map<int, ConfigValue>& found) {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    bool word_start =
        at == 0 || !(std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_');
    std::size_t colon = text.find_first_not_of(" \t\n", at + name.size());
    if (!word_start || colon == std::string::npos || text[colon] != ':' ||
        (colon + 1 < text.size() && text[colon + 1] == ':'))
      continue;
    std::size_t digits = text.find_first_not_of(" \t\n", colon + 1);
    if (digits == std::string::npos || !std::isdigit(static_cast<unsigned char>(text[digits])))
      continue;
    int value = std::atoi(text.c_str() + digits);
    int line =
        1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n'));
    if (value > 0) found.try_emplace(value, ConfigValue{value, shown, path, line});
  }
}

std::optional<ConfigValue> agreed(const std::map<int, ConfigValue>& found, const char* member,
                                  std::vector<std::string>& notes) {
  if (found.size() == 1) return found.begin()->second;
  if (found.size() > 1) {
    std::string values;
    for (const auto& [value, place] : found)
      values += (values.empty() ? "" : ", ") + std::to_string(value) + " in " + place.from;
    notes.push_back(std::string("the design assigns ") + member + " more than one value (" +
                    values + "); the default or the flag decides");
  }
  return std::nullopt;
}

}  // namespace

DesignConfig read_design_config(const SourceTree& tree, const rtl::ModuleHeader* router) {
  std::map<int, ConfigValue> widths, channels;
  for (const std::string& path : tree.files()) {
    if (!verilog_file(path)) continue;
    std::string text;
    try {
      text = read_input_file(path, "source");
    } catch (const Error&) {
      continue;  // a file that cannot be read says nothing about the configuration
    }
    if (text.find("NOC_") == std::string::npos) continue;
    // A bench nocgen wrote into a work directory kept below the base directory says what an
    // earlier run chose, not what the design assigns.
    if (written_by_nocgen(text)) continue;
    // Named below the base directory, as the user knows the file.
    std::string base = absolute_path(tree.base_dir()) + "/";
    std::string name = path.starts_with(base) ? path.substr(base.size()) : path;
    find_member_values(text, "NOC_FLIT_WIDTH", path, name, widths);
    find_member_values(text, "NOC_CHANNELS", path, name, channels);
  }
  DesignConfig config;
  config.flit_width = agreed(widths, "NOC_FLIT_WIDTH", config.notes);
  config.channels = agreed(channels, "NOC_CHANNELS", config.notes);
  if (!config.flit_width && router)
    if (std::optional<std::int64_t> width = parameter_values(router->params)("FLIT_WIDTH"))
      if (*width > 0 && *width <= 4096)
        config.flit_width =
            ConfigValue{static_cast<int>(*width), router->name + "'s FLIT_WIDTH default", {}, 0};
  return config;
}

}  // namespace noc::model
