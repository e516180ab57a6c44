#include "nocgen/command_line.h"

#include <algorithm>

namespace noc::nocgen {

std::vector<char*> take_warning_flags(int argc, char** argv, model::WarningPolicy& policy) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    // After "--" every argument is a name, whatever it looks like.
    if (i > 0 && std::string_view(argv[i]) == "--") {
      rest.insert(rest.end(), argv + i, argv + argc);
      break;
    }
    if (i == 0 || !model::read_warning_flag(argv[i], policy)) rest.push_back(argv[i]);
  }
  return rest;
}

namespace {

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string closest_name(std::string_view wrong, const std::vector<std::string>& names) {
  std::string best;
  // One letter off a two-letter option is another option, not a typo of it.
  std::size_t best_distance = wrong.size() <= 2 ? 1 : wrong.size() <= 5 ? 2 : 3;
  for (const std::string& name : names) {
    std::size_t distance = edit_distance(wrong, name);
    if (distance < best_distance) {
      best = name;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace noc::nocgen
