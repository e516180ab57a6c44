#include "rtl/parsed_source.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "rtl/source_parser.h"

namespace noc::rtl {
namespace {

struct Reading {
  std::optional<ParsedSource> parsed;
  std::optional<Error> error;
  std::vector<std::pair<std::string, SourceLocation>> uncertain;
};

ParsedSource parse_preprocessed(const SourceManager& sources, std::string path,
                                PreprocessedSource pre) {
  SourceModules modules = parse_modules(sources, pre);
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
  parsed.first = std::move(modules.first);
  return parsed;
}

// One reading; an error is kept, not thrown, so that readings can be compared.
Reading read_once(const std::string& path, const std::string& text,
                  const PreprocessOptions& options) {
  Reading reading;
  SourceManager sources;
  try {
    std::uint32_t buffer = sources.add(path, text);
    PreprocessedSource pre = preprocess(sources, buffer, options);
    reading.uncertain = pre.uncertain;
    reading.parsed = parse_preprocessed(sources, path, std::move(pre));
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

std::string list_of(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size() && i < 3; ++i)
    out += (i ? ", \"" : "\"") + names[i] + "\"";
  if (names.size() > 3) out += " and " + std::to_string(names.size() - 3) + " more";
  return out;
}

// The source's interface depends on `name`: read it again with only that macro left open, so
// that the error points where the ports change, or else at the conditional itself.
[[noreturn]] void refuse(const std::string& path, const std::string& text,
                         const PreprocessOptions& options, const std::vector<std::string>& names,
                         std::size_t index) {
  PreprocessOptions marked = options;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (i != index) marked.assumed.emplace_back(names[i], false);
  SourceManager sources;
  std::uint32_t buffer = sources.add(path, text);
  PreprocessedSource pre = preprocess(sources, buffer, marked);
  std::vector<std::string> missing = pre.missing_includes;
  SourceLocation at{buffer, 0};
  for (const auto& [macro, location] : pre.uncertain)
    if (macro == names[index]) at = location;
  parse_preprocessed(sources, path, std::move(pre));
  sources.fail(at, "the interface of this source depends on whether " + names[index] +
                       " is defined, and it may be defined in " + list_of(missing) +
                       ", which was not found (give its directory with -I, or say -D or -U " +
                       names[index] + ")");
}

// Too many combinations to read: every conditional on such a macro is refused where it would
// change the first module's header.
[[noreturn]] void refuse_as_uncertain(const std::string& path, const std::string& text,
                                      const PreprocessOptions& options) {
  SourceManager sources;
  std::uint32_t buffer = sources.add(path, text);
  PreprocessedSource pre = preprocess(sources, buffer, options);
  SourceLocation at = pre.uncertain.front().second;
  std::string missing = list_of(pre.missing_includes);
  parse_preprocessed(sources, path, std::move(pre));
  sources.fail(at, "the interface of this source depends on more than " +
                       std::to_string(kMaxUncertainMacros) + " macros that " + missing +
                       " may define, which was not found (give its directory with -I, or say "
                       "-D or -U for each)");
}

}  // namespace

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
    for (const auto& [name, location] : reading.uncertain) {
      if (std::find(names.begin(), names.end(), name) != names.end()) continue;
      if (names.size() == kMaxUncertainMacros) refuse_as_uncertain(path, text, options);
      names.push_back(name);
      found_more = true;
    }
    // A branch taken under one assumption may test macros that no earlier reading met.
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
