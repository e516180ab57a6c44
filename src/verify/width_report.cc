#include "verify/width_report.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <tuple>

namespace noc::verify {
namespace {

std::string_view trimmed(std::string_view line) {
  std::size_t begin = line.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  std::size_t end = line.find_last_not_of(" \t\r");
  return line.substr(begin, end + 1 - begin);
}

bool is_identifier(std::string_view text) {
  if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_'))
    return false;
  for (char c : text)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$')) return false;
  return true;
}

// For each line of the top, the module and instance whose connection list it is in. The top
// names the module alone on a line and opens the instance with "NAME(".
std::vector<std::pair<std::string, std::string>> instances_by_line(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> by_line(1);
  std::string module, instance;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = trimmed(text.substr(at, end - at));
    if (is_identifier(line)) module = std::string(line);
    if (line.size() > 1 && line.back() == '(' && is_identifier(line.substr(0, line.size() - 1)))
      instance = std::string(line.substr(0, line.size() - 1));
    by_line.emplace_back(module, instance);
    at = end + 1;
  }
  return by_line;
}

long number_after(std::string_view text, std::string_view word) {
  std::size_t at = text.find(word);
  if (at == std::string_view::npos) return 0;
  return std::strtol(std::string(text.substr(at + word.size(), 20)).c_str(), nullptr, 10);
}

}  // namespace

std::vector<WidthMismatch> read_width_mismatches(std::string_view build_log,
                                                 const std::string& top_path,
                                                 std::string_view top_text) {
  constexpr std::string_view kWarning = "%Warning-WIDTH: ";
  const std::string place = top_path + ":";
  std::vector<std::pair<std::string, std::string>> by_line;
  std::vector<WidthMismatch> out;
  std::size_t at = 0;
  while (at < build_log.size()) {
    std::size_t end = build_log.find('\n', at);
    if (end == std::string_view::npos) end = build_log.size();
    std::string_view line = build_log.substr(at, end - at);
    at = end + 1;
    if (!line.starts_with(kWarning)) continue;
    line.remove_prefix(kWarning.size());
    if (!line.starts_with(place) || line.find("port connection '") == std::string_view::npos)
      continue;
    if (by_line.empty()) by_line = instances_by_line(top_text);
    WidthMismatch m;
    m.line = static_cast<int>(number_after(line, place));
    std::size_t quote = line.find("port connection '") + 17;
    m.port = std::string(line.substr(quote, line.find('\'', quote) - quote));
    m.port_bits = number_after(line, "expects ");
    m.connected_bits = number_after(line, "generates ");
    if (m.line > 0 && static_cast<std::size_t>(m.line) < by_line.size())
      std::tie(m.module, m.instance) = by_line[static_cast<std::size_t>(m.line)];
    out.push_back(std::move(m));
  }
  return out;
}

namespace {

// "12 bits", or "4 to 6 bits" when the instances differ.
std::string bits_range(long low, long high) {
  return (low == high ? std::to_string(low) : std::to_string(low) + " to " + std::to_string(high)) +
         " bits";
}

}  // namespace

std::vector<std::string> width_root_causes(const std::vector<WidthMismatch>& mismatches,
                                           const WidthCause& cause) {
  // Routers differ in their number of ports, so one port gives many pairs of widths; what they
  // have in common is the port.
  struct Group {
    std::vector<const WidthMismatch*> connections;
    long port_low = 0, port_high = 0, connected_low = 0, connected_high = 0;
  };
  std::map<std::pair<std::string, std::string>, Group> groups;
  std::vector<std::pair<std::string, std::string>> order;
  for (const WidthMismatch& m : mismatches) {
    auto [it, fresh] = groups.try_emplace({m.module, m.port});
    Group& group = it->second;
    if (fresh) {
      order.push_back(it->first);
      group.port_low = group.port_high = m.port_bits;
      group.connected_low = group.connected_high = m.connected_bits;
    }
    group.port_low = std::min(group.port_low, m.port_bits);
    group.port_high = std::max(group.port_high, m.port_bits);
    group.connected_low = std::min(group.connected_low, m.connected_bits);
    group.connected_high = std::max(group.connected_high, m.connected_bits);
    group.connections.push_back(&m);
  }
  std::vector<std::string> lines;
  for (const auto& key : order) {
    const Group& group = groups[key];
    const std::vector<const WidthMismatch*>& list = group.connections;
    std::string where;
    for (std::size_t i = 0; i < list.size() && i < 4; ++i)
      where += (i ? ", " : "") + list[i]->instance;
    if (list.size() > 4) where += " and " + std::to_string(list.size() - 4) + " more";
    std::string line = "width: " + key.first + " port " + key.second + " is " +
                       bits_range(group.port_low, group.port_high) + ", but noc_top connects " +
                       bits_range(group.connected_low, group.connected_high) + " to it on " +
                       std::to_string(list.size()) + " instance" + (list.size() == 1 ? "" : "s") +
                       " (" + where + "; line " + std::to_string(list.front()->line) + ")";
    if (std::optional<std::string> why = cause ? cause(key.first, key.second) : std::nullopt)
      line += ": " + *why;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace noc::verify
