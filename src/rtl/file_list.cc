#include "rtl/file_list.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "common/error.h"
#include "common/file_identity.h"
#include "common/input_file.h"
#include "common/source_tree.h"
#include "common/text.h"

namespace noc::rtl {
namespace {

constexpr int kMaxNesting = 32;

// Options of Verilator and of other simulators that take the next item as their value; the
// value must not be read as a source file.
constexpr std::string_view kOptionsWithValue[] = {
    "-y",
    "-v",
    "--top-module",
    "--top",
    "-o",
    "--Mdir",
    "--prefix",
    "-j",
    "--mod-prefix",
    "--exe",
    "-LDFLAGS",
    "-CFLAGS",
    "--x-assign",
    "--x-initial",
    "--threads",
    "--trace-depth",
    "--unroll-count",
    "-top",
    "-work",
    "-l",
};

bool takes_value(std::string_view option) {
  for (std::string_view known : kOptionsWithValue)
    if (option == known) return true;
  return false;
}

// $VAR and ${VAR}, as Verilator substitutes them in a list; an unset variable is empty.
std::string expand_environment(const std::string& item) {
  std::string out;
  for (std::size_t i = 0; i < item.size(); ++i) {
    if (item[i] != '$' || i + 1 == item.size()) {
      out += item[i];
      continue;
    }
    std::size_t start = i + 1, end;
    bool braced = item[start] == '{';
    if (braced) {
      end = item.find('}', start);
      if (end == std::string::npos) {
        out += item.substr(i);
        break;
      }
      ++start;
    } else {
      end = start;
      while (end < item.size() &&
             (std::isalnum(static_cast<unsigned char>(item[end])) || item[end] == '_'))
        ++end;
    }
    const char* value = std::getenv(item.substr(start, end - start).c_str());
    if (value) out += value;
    i = braced ? end : end - 1;
  }
  return out;
}

// One item of a list and the offset of its first character, for messages about it.
struct ListItem {
  std::string text;
  std::size_t offset = 0;
};

std::vector<ListItem> split_items(const std::string& text) {
  std::vector<ListItem> items;
  std::string item;
  std::size_t start = 0;
  bool quoted = false;
  auto flush = [&] {
    if (!item.empty()) items.push_back(ListItem{expand_environment(item), start});
    item.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (item.empty() && !quoted) start = i;
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        item += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      flush();
    } else if ((c == '/' && i + 1 < text.size() && text[i + 1] == '/') ||
               (c == '#' && item.empty())) {
      flush();
      while (i < text.size() && text[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      flush();
      std::size_t end = text.find("*/", i + 2);
      i = end == std::string::npos ? text.size() : end + 1;
    } else {
      item += c;
    }
  }
  flush();
  return items;
}

std::vector<std::string> plus_fields(std::string_view rest) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t plus = rest.find('+', start);
    if (plus == std::string_view::npos) plus = rest.size();
    if (plus > start) fields.emplace_back(rest.substr(start, plus - start));
    start = plus + 1;
  }
  return fields;
}

class ListReader {
 public:
  void read(const std::string& path, ListPaths paths, int depth) {
    if (depth > kMaxNesting)
      throw Error("file lists nest deeper than " + std::to_string(kMaxNesting) +
                      " levels; does a list name itself?",
                  path);
    std::string folder = absolute_path(path);
    folder = folder.substr(0, folder.rfind('/'));
    if (folder.empty()) folder = "/";
    const std::string text = read_input_file(path, "file list");
    out_.list_files.push_back(absolute_path(path));
    std::vector<ListItem> listed = split_items(text);
    std::vector<std::string> items;
    for (ListItem& item : listed) items.push_back(std::move(item.text));
    auto resolve = [&](const std::string& name) {
      if (paths == ListPaths::kFromWorkingDirectory || name.empty() || name.front() == '/')
        return name;
      return folder + "/" + name;
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
      const std::string& item = items[i];
      auto value = [&](std::size_t prefix) -> std::string {
        if (item.size() > prefix) return item.substr(prefix);
        if (i + 1 == items.size())
          throw Error("option " + item + " in the file list has no value", path);
        return items[++i];
      };
      if (item == "-f" || item == "-F") {
        std::string nested = resolve(value(2));
        read(nested, item == "-F" ? ListPaths::kFromListFolder : ListPaths::kFromWorkingDirectory,
             depth + 1);
      } else if (item.rfind("+incdir+", 0) == 0) {
        for (const std::string& dir : plus_fields(std::string_view(item).substr(8)))
          out_.include_dirs.push_back(resolve(dir));
      } else if (item.rfind("+define+", 0) == 0) {
        for (const std::string& definition : plus_fields(std::string_view(item).substr(8)))
          add_define(out_, definition);
      } else if (item.rfind("-I", 0) == 0) {
        out_.include_dirs.push_back(resolve(value(2)));
      } else if (item.rfind("-D", 0) == 0) {
        add_define(out_, value(2));
      } else if (item.rfind("-U", 0) == 0) {
        out_.undefines.push_back(value(2));
      } else if (item.front() == '-' || item.front() == '+') {
        if (takes_value(item) && i + 1 < items.size()) ++i;
      } else {
        out_.unit_files.push_back(absolute_path(resolve(item)));
        // The generated top may be listed before it exists; only a read says it is missing.
        struct stat info;
        if (::stat(out_.unit_files.back().c_str(), &info) != 0) {
          auto [line, column] = line_and_column(text, line_starts(text), listed[i].offset);
          out_.absent_unit_files.push_back(
              ListedFile{out_.unit_files.back(), absolute_path(path), line, column});
        }
      }
    }
  }

  RtlOptions out_;
};

}  // namespace

void add_define(RtlOptions& options, const std::string& definition) {
  std::size_t equals = definition.find('=');
  if (equals == std::string::npos) {
    options.defines.emplace_back(definition, "");
  } else {
    options.defines.emplace_back(definition.substr(0, equals), definition.substr(equals + 1));
  }
}

namespace {

// A file that holds a module noc_top is a top, written by an earlier run or by hand; anything
// else is a source of the user's, which the output must not replace.
bool holds_a_top_or_nothing(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.empty() || text.find("module noc_top") != std::string::npos;
}

}  // namespace

void drop_unit_file(RtlOptions& options, const std::string& output_path) {
  std::optional<FileIdentity> output = file_identity(output_path);
  if (!output || !holds_a_top_or_nothing(output_path)) return;
  std::erase_if(options.unit_files, [&](const std::string& file) {
    std::optional<FileIdentity> identity = file_identity(file);
    return identity && *identity == *output;
  });
}

void check_macro_name(const std::string& name, const std::string& given) {
  auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
  bool ok = !name.empty() && letter(name[0]);
  for (char c : name)
    ok = ok && (letter(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$');
  if (!ok)
    throw Error(in_quotes(given) +
                " names no macro: a macro name is a letter or _ followed by letters, digits, _ "
                "or $ (NAME or NAME=VALUE)");
}

RtlOptions read_file_list(const std::string& path, ListPaths paths) {
  ListReader reader;
  reader.read(path, paths, 0);
  return std::move(reader.out_);
}

void append_options(RtlOptions& options, const RtlOptions& more) {
  options.defines.insert(options.defines.end(), more.defines.begin(), more.defines.end());
  options.undefines.insert(options.undefines.end(), more.undefines.begin(), more.undefines.end());
  options.include_dirs.insert(options.include_dirs.end(), more.include_dirs.begin(),
                              more.include_dirs.end());
  options.unit_files.insert(options.unit_files.end(), more.unit_files.begin(),
                            more.unit_files.end());
  options.absent_unit_files.insert(options.absent_unit_files.end(), more.absent_unit_files.begin(),
                                   more.absent_unit_files.end());
  options.list_files.insert(options.list_files.end(), more.list_files.begin(),
                            more.list_files.end());
}

}  // namespace noc::rtl
