#include "rtl/parsed_source.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "rtl/source_parser.h"

namespace noc::rtl {
namespace {

struct Reading {
  std::optional<ParsedSource> parsed;
  std::optional<Error> error;
  /// Macros a missing include could define whose conditionals stand where they could change
  /// the first module's interface: before the end of its header (of its body, old style).
  std::vector<std::string> uncertain;
};

ParsedSource to_parsed(const SourceManager& sources, std::string path, PreprocessedSource pre,
                       SourceModules modules) {
  ParsedSource parsed;
  parsed.path = std::move(path);
  parsed.includes = std::move(pre.includes);
  parsed.headers_read = std::move(pre.headers_read);
  parsed.module_names = std::move(modules.module_names);
  for (const auto& [location, message] : modules.first.warnings) {
    const SourceText& buffer = sources.buffer(location.buffer);
    LineColumn at = buffer.line_column(location.offset);
    parsed.warnings.push_back({buffer.path(), at.line, at.column, message});
  }
  modules.first.warnings.clear();
  auto place = [&](SourceLocation location) {
    const SourceText& buffer = sources.buffer(location.buffer);
    LineColumn at = buffer.line_column(location.offset);
    return SourcePlace{buffer.path(), at.line, at.column};
  };
  if (!modules.first.name.empty()) parsed.module_place = place(modules.first.location);
  for (const auto& [name, location] : modules.first.port_locations)
    parsed.port_places.emplace_back(name, place(location));
  modules.first.port_locations.clear();
  parsed.first = std::move(modules.first);
  return parsed;
}

// One reading without markers; an error is kept, not thrown, so that readings can be compared.
// A reading that fails names no macros: its error stands unless another reading differs.
Reading read_once(const std::string& path, const std::string& text, PreprocessOptions options) {
  Reading reading;
  options.mark_uncertain = false;
  SourceManager sources;
  try {
    std::uint32_t buffer = sources.add(path, text);
    PreprocessedSource pre = preprocess(sources, buffer, options);
    SourceModules modules = parse_modules(sources, pre);
    for (const UncertainTest& test : pre.uncertain)
      if (test.token_index < modules.interface_end) reading.uncertain.push_back(test.macro);
    reading.parsed = to_parsed(sources, path, std::move(pre), std::move(modules));
  } catch (const Error& error) {
    reading.error = error;
  }
  return reading;
}

bool same_reading(const Reading& a, const Reading& b) {
  if (a.parsed && b.parsed) return same_interface(*a.parsed, *b.parsed);
  return a.error && b.error && std::string(a.error->what()) == b.error->what();
}

PreprocessOptions assuming(const PreprocessOptions& options, const std::vector<std::string>& names,
                           std::size_t defined_mask) {
  PreprocessOptions out = options;
  for (std::size_t i = 0; i < names.size(); ++i)
    out.assumed.emplace_back(names[i], (defined_mask >> i & 1) != 0);
  return out;
}

// A reading with markers, which throws at the first marker the parser meets where the interface
// would change; when it meets none, the error goes where `macro` (or, empty, any such macro) is
// first tested.
[[noreturn]] void fail_marked(const std::string& path, const std::string& text,
                              const PreprocessOptions& options, const std::string& macro) {
  SourceManager sources;
  std::uint32_t buffer = sources.add(path, text);
  PreprocessOptions marked = options;
  marked.mark_uncertain = true;
  PreprocessedSource pre = preprocess(sources, buffer, marked);
  SourceLocation at{buffer, 0};
  for (const UncertainTest& test : pre.uncertain) {
    if (!macro.empty() && test.macro != macro) continue;
    at = test.location;
    break;
  }
  std::string missing = quoted_list(pre.missing_includes);
  parse_modules(sources, pre);
  if (macro.empty())
    sources.fail(at, "the interface of this source depends on more than " +
                         std::to_string(kMaxUncertainMacros) + " macros that may be defined in " +
                         missing +
                         ", which was not found (give its directory with -I, or say -D or -U for "
                         "each)");
  sources.fail(at, "the interface of this source depends on whether " + macro +
                       " is defined, and it may be defined in " + missing +
                       ", which was not found (give its directory with -I, or say -D or -U " +
                       macro + ")");
}

// The interface depends on names[index]: read again with only that macro left open, so that the
// error points where the ports change.
[[noreturn]] void refuse(const std::string& path, const std::string& text,
                         const PreprocessOptions& options, const std::vector<std::string>& names,
                         std::size_t index) {
  PreprocessOptions open = options;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (i != index) open.assumed.emplace_back(names[i], false);
  fail_marked(path, text, open, names[index]);
}

}  // namespace

const SourcePlace& ParsedSource::place_of(const std::string& name) const {
  for (const auto& [port, place] : port_places)
    if (port == name) return place;
  return module_place;
}

bool same_interface(const ParsedSource& a, const ParsedSource& b) {
  const ModuleHeader& x = a.first;
  const ModuleHeader& y = b.first;
  return x.name == y.name && x.imports == y.imports && x.params == y.params &&
         x.inputs == y.inputs && x.outputs == y.outputs &&
         x.unconnectable_ports == y.unconnectable_ports && a.includes == b.includes &&
         a.module_names.empty() == b.module_names.empty();
}

ParsedSource parse_source_text(std::string path, std::string text,
                               const PreprocessOptions& options) {
  std::vector<std::string> names;
  std::optional<Reading> baseline;
  for (std::size_t mask = 0; mask < (std::size_t{1} << names.size()); ++mask) {
    Reading reading = read_once(path, text, assuming(options, names, mask));
    bool found_more = false;
    for (const std::string& name : reading.uncertain) {
      if (std::find(names.begin(), names.end(), name) != names.end()) continue;
      // Past the bound, every conditional on such a macro is refused where it would change the
      // interface, as if none were tried.
      if (names.size() == kMaxUncertainMacros) fail_marked(path, text, options, "");
      names.push_back(name);
      found_more = true;
    }
    // A branch taken under one assumption may test macros that no earlier reading met: start
    // again with them.
    if (found_more) {
      baseline.reset();
      mask = std::size_t(-1);
      continue;
    }
    if (!baseline) {
      baseline = std::move(reading);
    } else if (!same_reading(*baseline, reading)) {
      std::size_t first_defined = 0;
      while (!(mask >> first_defined & 1)) ++first_defined;
      refuse(path, text, options, names, first_defined);
    }
  }
  if (baseline->error) throw *baseline->error;
  return std::move(*baseline->parsed);
}

}  // namespace noc::rtl
