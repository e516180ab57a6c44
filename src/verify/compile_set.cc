#include "verify/compile_set.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "common/text.h"
#include "rtl/lexer.h"
#include "rtl/source_text.h"

namespace noc::verify {
namespace {

// The framework's packages, reduced to what noc_top reads: config_t with the two fields that
// size the NoC wires.
const std::string kStandInHeader =
    "// Stand-in written by nocgen: the framework's package, reduced.\n";
const std::map<std::string, std::string> kFrameworkPackages = {
    {"dii_package", kStandInHeader + "package dii_package;\nendpackage\n"},
    {"optimsoc_config", kStandInHeader + "package optimsoc_config;\n"
                                         "  typedef struct packed {\n"
                                         "    int NOC_FLIT_WIDTH;\n"
                                         "    int NOC_CHANNELS;\n"
                                         "  } config_t;\n"
                                         "endpackage\n"},
    {"optimsoc_functions", kStandInHeader + "package optimsoc_functions;\nendpackage\n"},
};

constexpr std::string_view kProbePackage = "noc_verify_probe";

bool is_source_name(const std::string& path) {
  for (const char* ext : {".sv", ".svh", ".v", ".vh"})
    if (path.size() > std::string_view(ext).size() && path.ends_with(ext)) return true;
  return false;
}

std::string directory_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

struct PackageFile {
  std::string path;
  std::vector<std::string> uses;
};

// Files that declare packages and no module: a file that also holds a module could clash with
// a stand-in of the same name.
std::map<std::string, PackageFile> find_package_files(const std::vector<std::string>& files,
                                                      const std::string& top_path) {
  std::map<std::string, PackageFile> by_package;
  for (const std::string& path : files) {
    if (path == top_path || !is_source_name(path)) continue;
    std::string text;
    try {
      text = rtl::read_source_file(path);
    } catch (const std::exception&) {
      continue;  // an unreadable file below the tree is none of the simulation's business
    }
    if (text.find("package") == std::string::npos) continue;
    // What an earlier verify or traffic wrote into a work directory kept below the base
    // directory: this run writes its own, and two of one package end Verilator.
    if (written_by_nocgen(text)) continue;
    rtl::SourceManager sources;
    std::vector<rtl::Token> tokens = rtl::lex(sources, sources.add(path, text));
    std::vector<std::string> declared;
    bool has_module = false;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
      if (tokens[i].is("package") && tokens[i + 1].kind == rtl::TokenKind::kIdentifier)
        declared.emplace_back(tokens[i + 1].text);
      has_module |= tokens[i].is("module") || tokens[i].is("macromodule");
    }
    if (has_module) continue;
    for (const std::string& name : declared)
      by_package.emplace(name, PackageFile{path, package_references(text)});
  }
  return by_package;
}

}  // namespace

std::vector<std::string> package_references(const std::string& text) {
  rtl::SourceManager sources;
  std::vector<rtl::Token> tokens = rtl::lex(sources, sources.add("text", text));
  std::vector<std::string> names;
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].kind != rtl::TokenKind::kIdentifier || !tokens[i + 1].is("::")) continue;
    std::string name(tokens[i].text);
    if (name == "$unit" || name == "std" || name == "local") continue;
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  return names;
}

std::vector<std::string> include_entries(const std::string& text) {
  std::vector<std::string> entries;
  constexpr std::string_view kInclude = "`include";
  for (std::size_t at = text.find(kInclude); at != std::string::npos;
       at = text.find(kInclude, at + 1)) {
    std::size_t open = text.find_first_not_of(" \t", at + kInclude.size());
    if (open == std::string::npos || text[open] != '"') continue;
    std::size_t close = text.find('"', open + 1);
    if (close == std::string::npos) break;
    entries.push_back(text.substr(open + 1, close - open - 1));
  }
  return entries;
}

CompileSet gather_compile_set(rtl::RtlCatalog& catalog, const std::string& top_path,
                              const std::string& top_text, const std::vector<std::string>& texts,
                              const std::vector<std::string>& unit_files) {
  CompileSet out;
  // The files of the user's lists come first: they are what the build compiles.
  std::vector<std::string> candidates = unit_files;
  candidates.insert(candidates.end(), catalog.tree().files().begin(), catalog.tree().files().end());
  std::map<std::string, PackageFile> files = find_package_files(candidates, top_path);
  std::set<std::string> visited, files_added;
  std::function<void(const std::string&)> visit = [&](const std::string& name) {
    if (name == kProbePackage || !visited.insert(name).second) return;
    auto found = files.find(name);
    if (found == files.end()) {
      auto framework = kFrameworkPackages.find(name);
      if (framework != kFrameworkPackages.end()) {
        out.written.emplace_back(name + ".sv", framework->second);
        out.notes.push_back("no package " + name +
                            " below the base directory; using a stand-in that declares " +
                            (name == "optimsoc_config" ? "config_t" : "nothing"));
      } else {
        out.notes.push_back("no package " + name + " below the base directory");
      }
      return;
    }
    for (const std::string& used : found->second.uses) visit(used);
    if (files_added.insert(found->second.path).second) {
      out.package_files.push_back(found->second.path);
      out.include_dirs.push_back(directory_of(found->second.path));
    }
  };
  for (const std::string& name : package_references(top_text)) visit(name);
  for (const std::string& text : texts)
    for (const std::string& name : package_references(text)) visit(name);

  for (const std::string& entry : include_entries(top_text)) {
    std::optional<std::string> header = catalog.find_include(entry, top_path);
    if (header) {
      out.include_dirs.push_back(directory_of(*header));
      continue;
    }
    if (std::any_of(out.written.begin(), out.written.end(),
                    [&](const auto& file) { return file.first == entry; }))
      continue;
    // The stand-in is written into the work directory, so its name must stay inside it.
    if (entry.empty() || entry.front() == '/' || entry.find("..") != std::string::npos) {
      out.notes.push_back("no header " + in_quotes(entry) + " below the base directory");
      continue;
    }
    out.written.emplace_back(entry, "// Stand-in written by nocgen verify: noc_top includes " +
                                        in_quotes(entry) + " and reads nothing from it.\n");
    out.notes.push_back("no header " + in_quotes(entry) +
                        " below the base directory; using an empty stand-in");
  }
  std::sort(out.include_dirs.begin(), out.include_dirs.end());
  out.include_dirs.erase(std::unique(out.include_dirs.begin(), out.include_dirs.end()),
                         out.include_dirs.end());
  return out;
}

}  // namespace noc::verify
