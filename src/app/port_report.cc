#include "app/port_report.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>

#include "common/text.h"
#include "rtl/extract_rtl.h"

namespace noc::app {
namespace {

using Json = nlohmann::ordered_json;

std::string base_of(const std::string& file, const std::string& base_dir) {
  if (!base_dir.empty()) return base_dir;
  std::string parent = std::filesystem::path(file).parent_path().string();
  return parent.empty() ? "." : parent;
}

std::string name_of(const std::string& file, const std::string& base_dir) {
  if (!base_dir.empty()) return file;
  return "./" + std::filesystem::path(file).filename().string();
}

rtl::ParsedSource extract(const std::string& file, const std::string& base_dir,
                          const rtl::RtlOptions& options) {
  return rtl::RtlCatalog(base_of(file, base_dir), options).parse(name_of(file, base_dir));
}

// Paths and escaped names may hold bytes that are not UTF-8; JSON takes them as \xNN text.
void make_printable(Json& value) {
  if (value.is_string()) {
    value = printable(value.get<std::string>());
  } else if (value.is_structured()) {
    for (Json& element : value) make_printable(element);
  }
}

Json ports_json(const std::vector<rtl::PortTuple>& ports) {
  Json list = Json::array();
  for (const rtl::PortTuple& port : ports) {
    Json tuple = Json::array();
    for (const std::string& piece : port.pieces) tuple.push_back(piece);
    tuple.push_back(port.name_index);
    list.push_back(Json{{"name", port.name()},
                        {"type", port.type_text},
                        {"declaration", port.join_from(0)},
                        {"tuple", std::move(tuple)}});
  }
  return list;
}

Json warnings_json(const std::vector<rtl::SourceWarning>& warnings) {
  Json list = Json::array();
  for (const rtl::SourceWarning& w : warnings)
    list.push_back(
        Json{{"file", w.file}, {"line", w.line}, {"column", w.column}, {"message", w.message}});
  return list;
}

void table_rows(std::ostream& out, const char* direction, const std::vector<rtl::PortTuple>& ports,
                std::size_t type_width) {
  for (const rtl::PortTuple& port : ports) {
    std::string type = port.type_text.empty() ? "-" : printable(port.type_text);
    out << "  " << direction << "  " << type << std::string(type_width - type.size() + 2, ' ')
        << printable(port.join_from(0)) << "\n";
  }
}

}  // namespace

void write_port_json(std::ostream& out, const std::string& file, const std::string& base_dir,
                     const rtl::RtlOptions& options) {
  rtl::ParsedSource x = extract(file, base_dir, options);
  Json params = Json::array();
  for (const rtl::ModuleParameter& p : x.first.params)
    params.push_back(Json{{"name", p.name}, {"default", p.default_text}, {"local", p.local}});
  Json report{{"path", x.path},
              {"module_names", x.module_names},
              {"includes", x.includes},
              {"parameters", std::move(params)},
              {"inputs", ports_json(x.first.inputs)},
              {"outputs", ports_json(x.first.outputs)},
              {"unconnected", x.first.unconnectable_ports},
              {"warnings", warnings_json(x.warnings)}};
  make_printable(report);
  out << report.dump(2) << "\n";
}

void write_port_table(std::ostream& out, const std::string& file, const std::string& base_dir,
                      const rtl::RtlOptions& options) {
  rtl::ParsedSource x = extract(file, base_dir, options);
  out << printable(x.path) << "\n";
  for (const std::string& name : x.module_names) out << "  module     " << name << "\n";
  for (const std::string& name : x.includes) out << "  include    " << name << "\n";
  for (const rtl::ModuleParameter& p : x.first.params)
    out << "  " << (p.local ? "localparam " : "parameter  ") << p.name
        << (p.default_text.empty() ? "" : " = " + p.default_text) << "\n";
  std::size_t type_width = 1;
  for (const auto* list : {&x.first.inputs, &x.first.outputs})
    for (const rtl::PortTuple& port : *list)
      type_width = std::max(type_width, port.type_text.size());
  table_rows(out, "input ", x.first.inputs, type_width);
  table_rows(out, "output", x.first.outputs, type_width);
  for (const std::string& name : x.first.unconnectable_ports)
    out << "  other   " << printable(name)
        << "  (inout, ref or interface port: noc_top leaves it unconnected)\n";
  for (const rtl::SourceWarning& w : x.warnings)
    out << "  warning    " << printable(w.file) << ":" << w.line << ":" << w.column << ": "
        << printable(w.message) << "\n";
}

}  // namespace noc::app
