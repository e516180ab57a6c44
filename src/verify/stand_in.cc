#include "verify/stand_in.h"

#include "common/error.h"
#include "common/text.h"
#include "verify/probe_code.h"

namespace noc::verify {
namespace {

// An escaped identifier ends at white space, so every use of one needs a space after it.
std::string ref(const std::string& name) {
  return !name.empty() && name.front() == '\\' ? name + " " : name;
}

std::string declaration(const rtl::PortTuple& port, bool input) {
  std::string packed, after_name;
  for (std::size_t i = 0; i < port.pieces.size(); ++i) {
    if (i < port.name_index && port.pieces[i] != " ") packed += port.pieces[i];
    if (i > port.name_index) after_name += port.pieces[i];
  }
  std::string text = input ? "input" : "output";
  for (const std::string& part : {port.type_text, packed})
    if (!part.empty()) text += " " + part;
  return text + " " + ref(port.name()) + after_name;
}

std::string header_text(const rtl::ModuleHeader& header, const std::vector<std::string>& ports) {
  std::string out = "module " + ref(header.name);
  if (!header.imports.empty()) {
    out += "\n  import ";
    for (std::size_t i = 0; i < header.imports.size(); ++i)
      out += (i ? ", " : "") + header.imports[i];
    out += ";";
  }
  if (!header.params.empty()) {
    out += "\n  #(";
    for (std::size_t i = 0; i < header.params.size(); ++i)
      out += (i ? ",\n    " : "") + header.params[i].declaration;
    out += ")";
  }
  out += "\n  (";
  for (std::size_t i = 0; i < ports.size(); ++i) out += (i ? ",\n   " : "") + ports[i];
  return out + ");\n";
}

}  // namespace

bool has_unpacked_dimensions(const rtl::PortTuple& port) {
  return port.name_index + 1 < port.pieces.size();
}

std::string stand_in_header(const rtl::ModuleHeader& header) {
  std::vector<std::string> declarations;
  for (const rtl::PortTuple& port : header.inputs) declarations.push_back(declaration(port, true));
  for (const rtl::PortTuple& port : header.outputs)
    declarations.push_back(declaration(port, false));
  return header_text(header, declarations);
}

StandIn write_stand_in(const rtl::ModuleHeader& header, const std::string& origin,
                       int module_number) {
  StandIn out;
  std::vector<std::string> declarations;
  auto add = [&](const rtl::PortTuple& port, bool input) {
    declarations.push_back(declaration(port, input));
    out.ports.push_back(ProbedPort{port.name(), input, !has_unpacked_dimensions(port)});
  };
  for (const rtl::PortTuple& port : header.inputs) add(port, true);
  for (const rtl::PortTuple& port : header.outputs) add(port, false);
  if (out.ports.size() > kMaxPorts)
    throw Error("module " + in_quotes(header.name) + " has more than " + std::to_string(kMaxPorts) +
                    " ports, more than verify can number",
                origin);

  std::string body, drive, sample, report, width_checks;
  for (std::size_t p = 0; p < out.ports.size(); ++p) {
    const ProbedPort& port = out.ports[p];
    if (!port.probed) continue;
    std::string n = std::to_string(p), name = ref(port.name), bits = "$bits(" + name + ")";
    if (port.input) {
      body += "  wire [" + bits + "-1:0] nv_in_" + n + " = " + name + ";\n";
      body += "  bit [" + bits + "-1:0] nv_seen_" + n + " [noc_verify_probe::STEPS];\n";
      sample += "    nv_seen_" + n + "[noc_verify_probe::step] = nv_in_" + n + ";\n";
      report += "    $write(\"RECV %s " + n + " %0d\", nv_path, " + bits + ");\n" +
                "    for (int s = 0; s < noc_verify_probe::STEPS; s++) $write(\" %h\", nv_seen_" +
                n + "[s]);\n    $write(\"\\n\");\n";
    } else {
      body += "  logic [" + bits + "-1:0] nv_out_" + n + ";\n";
      body += "  assign " + name + " = nv_out_" + n + ";\n";
      drive += "    noc_verify_probe::step_word(nv_id, " + n + ", " + bits +
               ", noc_verify_probe::step, nv_word);\n    nv_out_" + n + " = " + bits +
               "'(nv_word);\n";
      std::string shown = port.name.front() == '\\' ? "port " + n : port.name;
      width_checks += "    if (" + bits + " > noc_verify_probe::MAX_BITS) $fatal(1, \"" + shown +
                      " is wider than the " + std::to_string(kMaxStepWordBits) +
                      " bits verify can drive\");\n";
      report += "    $display(\"SEND %s " + n + " %0d\", nv_path, " + bits + ");\n";
    }
  }
  out.text = "// Stand-in written by nocgen verify for module " + header.name + " of " + origin +
             ":\n// its interface, and a body that sends and records probe codes.\n";
  out.text += header_text(header, declarations);
  // Verilator compiles every block once per instance, reading its inputs straight from the
  // driving instance; so each block holds one statement per port and the loops over bits live
  // in the probe package's task, which it compiles once.
  out.text +=
      "  int unsigned nv_id;\n  string nv_path;\n  bit [noc_verify_probe::MAX_BITS-1:0] "
      "nv_word;\n" +
      body;
  out.text +=
      "  initial begin\n"
      "    nv_path = $sformatf(\"%m\");\n"
      "    nv_id = noc_verify_probe::instance_id(nv_path);\n" +
      width_checks +
      "  end\n"
      "  always @(noc_verify_probe::drive_tick) begin\n" +
      drive +
      "  end\n"
      "  always @(noc_verify_probe::sample_tick) begin\n" +
      sample +
      "  end\n"
      "  final begin\n"
      "    $display(\"INST %s %0d " +
      std::to_string(module_number) + "\", nv_path, nv_id);\n" + report + "  end\nendmodule\n";
  return out;
}

}  // namespace noc::verify
