#include "rtl/source_parser.h"

#include <algorithm>

#include "common/text.h"

#include <unordered_map>

#include "rtl/expression.h"

namespace noc::rtl {
namespace {

// Regions of a module body that end with their own keyword and may hold declarations that look
// like ports (function and task arguments) but are not the module's. They open a region only at
// the start of a statement: "assert property (...)" uses the keyword for something else.
const std::unordered_map<std::string_view, std::string_view> kRegions = {
    {"function", "endfunction"},   {"task", "endtask"},           {"class", "endclass"},
    {"covergroup", "endgroup"},    {"property", "endproperty"},   {"sequence", "endsequence"},
    {"clocking", "endclocking"},   {"specify", "endspecify"},     {"checker", "endchecker"},
    {"program", "endprogram"},     {"interface", "endinterface"}, {"package", "endpackage"},
    {"primitive", "endprimitive"}, {"config", "endconfig"},       {"randsequence", "endsequence"},
};
// Blocks that nest: a declaration inside one is local to it.
constexpr std::string_view kOpeners[] = {"begin", "fork",     "case",    "casex",
                                         "casez", "randcase", "generate"};
constexpr std::string_view kClosers[] = {"end",       "join",    "join_any",
                                         "join_none", "endcase", "endgenerate"};
constexpr std::string_view kDeclarationWords[] = {
    "wire", "tri",    "wand",    "wor",     "triand",   "trior", "tri0",
    "tri1", "trireg", "uwire",   "supply0", "supply1",  "reg",   "logic",
    "bit",  "var",    "integer", "signed",  "unsigned",
};

bool is_module_keyword(const Token& t) {
  return t.is("module") || t.is("macromodule");
}

// Declarations met in the body of an old-style module, by name.
struct BodyDeclarations {
  std::unordered_map<std::string_view, PortItem> ports;
  std::unordered_map<std::string_view, PortItem> nets;
  /// "parameter CHANNELS = 2;": what the port declarations of an old-style module use, and what
  /// an instance may override.
  ModuleHeader parameters;
  /// "import cfg_pkg::*;" in the body: what the parameter and port declarations after it see.
  std::vector<std::string> imports;
};

class ModuleScanner {
 public:
  ModuleScanner(const SourceManager& sources, const PreprocessedSource& source)
      : r_(sources, source.tokens, source.missing_includes),
        names_(collect_type_names(source.tokens)) {
    // The files before the source in its compilation unit declare types and import packages
    // that its header may use.
    TypeNames unit = collect_type_names(source.unit_tokens);
    names_.types.insert(unit.types.begin(), unit.types.end());
    names_.interfaces.insert(unit.interfaces.begin(), unit.interfaces.end());
    names_.wildcard_import |= unit.wildcard_import;
  }

  SourceModules run() {
    while (!r_.at_end()) {
      const Token& t = r_.raw(r_.pos());
      if (t.is("extern") && is_module_keyword(r_.raw(r_.pos() + 1))) {
        skip_past_semicolon();
      } else if (is_module_keyword(t)) {
        module();
      } else if (!out_.has_module && t.is("import") && r_.raw(r_.pos() + 2).is("::")) {
        // A compilation-unit import before the module is part of what its header sees (an
        // import "DPI-C" is no package import).
        r_.set_strict(true);
        read_import(r_, names_, unit_imports_);
        r_.set_strict(false);
      } else {
        // Before the first module, a guess about a conditional or an unknown macro could decide
        // which module comes first, or what its header says.
        if (!out_.has_module &&
            (t.kind == TokenKind::kUncertain || t.kind == TokenKind::kDirective))
          r_.fail(t, r_.unreadable(t));
        r_.advance();
      }
    }
    if (!out_.has_module) out_.interface_end = r_.pos() + 1;
    return std::move(out_);
  }

 private:
  void module() {
    if (out_.has_module) return later_module();
    out_.has_module = true;
    const Token& keyword = r_.raw(r_.pos());
    r_.set_strict(true);
    ModuleHeader header = parse_module_header(r_, names_, std::move(unit_imports_));
    r_.set_strict(false);
    out_.interface_end = r_.pos();
    out_.module_names.push_back(header.name);
    port_names_ = header.port_names;
    BodyDeclarations declared;
    body(keyword, header.name, header.ansi ? nullptr : &declared);
    if (!header.ansi) {
      merge_old_style_ports(header, declared);
      merge_body_parameters(header, declared.parameters.params);
      for (std::string& import : declared.imports)
        if (std::find(header.imports.begin(), header.imports.end(), import) == header.imports.end())
          header.imports.push_back(std::move(import));
      out_.interface_end = r_.pos();
    }
    header.port_names.clear();
    out_.first = std::move(header);
  }

  // Only the name of a later module counts; its header is skipped with its body.
  void later_module() {
    const Token& keyword = r_.take();
    if (r_.raw(r_.pos()).is("static") || r_.raw(r_.pos()).is("automatic")) r_.advance();
    const Token& name = r_.raw(r_.pos());
    if (name.kind == TokenKind::kIdentifier || name.kind == TokenKind::kEscapedIdentifier)
      out_.module_names.emplace_back(name.text);
    skip_past_semicolon();
    body(keyword, name.text, nullptr);
  }

  void skip_past_semicolon() {
    int depth = 0;
    for (; !r_.at_end(); r_.advance()) {
      const Token& t = r_.raw(r_.pos());
      if (t.is("(") || t.is("[") || t.is("{") || t.is("'{")) ++depth;
      if (t.is(")") || t.is("]") || t.is("}")) --depth;
      if (depth <= 0 && t.is(";")) {
        r_.advance();
        return;
      }
    }
  }

  // Skips a module body up to its endmodule. With `declared`, collects the port and net
  // declarations at the module's own level, where an old-style module declares its ports.
  void body(const Token& keyword, std::string_view name, BodyDeclarations* declared) {
    std::vector<std::string_view> regions;
    int depth = 0;
    bool statement_start = true;
    for (;;) {
      if (r_.at_end()) r_.fail(keyword, "module " + in_quotes(name) + " has no endmodule");
      const Token& t = r_.raw(r_.pos());
      if (t.is("endmodule")) {
        r_.advance();
        if (r_.raw(r_.pos()).is(":")) r_.seek(r_.pos() + 2);
        return;
      }
      if (t.is("extern") && is_module_keyword(r_.raw(r_.pos() + 1))) {
        skip_past_semicolon();
        continue;
      }
      if (is_module_keyword(t)) {
        later_module();
        statement_start = true;
        continue;
      }
      if (declared && at_module_level(regions, depth, statement_start) &&
          read_declaration(*declared))
        continue;
      if (declared && t.kind == TokenKind::kUncertain) r_.fail(t, r_.unreadable(t));
      bool ends_region = false;
      if (t.kind == TokenKind::kIdentifier) {
        ends_region = close_region(regions, t.text);
        if (statement_start && kRegions.count(t.text)) regions.push_back(kRegions.at(t.text));
        if (one_of(t.text, kOpeners)) ++depth;
        if (one_of(t.text, kClosers) && depth > 0) --depth;
      }
      statement_start = t.is(";") || ends_region || one_of(t.text, kOpeners) ||
                        one_of(t.text, kClosers) || t.is("else");
      r_.advance();
    }
  }

  static bool at_module_level(const std::vector<std::string_view>& regions, int depth,
                              bool statement_start) {
    return regions.empty() && depth == 0 && statement_start;
  }

  static bool close_region(std::vector<std::string_view>& regions, std::string_view word) {
    for (std::size_t i = regions.size(); i-- > 0;) {
      if (regions[i] != word) continue;
      regions.resize(i);
      return true;
    }
    return false;
  }

  // A port or net declaration of an old-style module at the current token; false when the
  // statement is something else.
  bool read_declaration(BodyDeclarations& declared) {
    const Token& t = r_.raw(r_.pos());
    if (t.kind == TokenKind::kDirective) r_.fail(t, r_.unreadable(t));  // may hold ports
    if (t.is("import") && r_.raw(r_.pos() + 2).is("::")) {
      read_import(r_, names_, declared.imports);
      return true;
    }
    if (t.is("parameter") || t.is("localparam")) {
      r_.set_strict(true);
      parse_body_parameters(r_, declared.parameters, names_);
      r_.set_strict(false);
      return true;
    }
    if (t.is("input") || t.is("output") || t.is("inout") || t.is("ref")) {
      r_.set_strict(true);
      for (PortItem& item : parse_port_declaration(r_, names_)) {
        std::string_view key = item.name_token->text;
        if (declared.ports.count(key))
          r_.fail(*item.name_token, "port " + in_quotes(key) + " is declared twice");
        declared.ports.emplace(key, std::move(item));
      }
      r_.set_strict(false);
      return true;
    }
    if (t.kind != TokenKind::kIdentifier || !one_of(t.text, kDeclarationWords) || !names_port())
      return false;
    r_.set_strict(true);
    for (PortItem& item : parse_net_declaration(r_, names_))
      declared.nets.emplace(item.name_token->text, std::move(item));
    r_.set_strict(false);
    return true;
  }

  // True when the statement at the current token names a port of the header.
  bool names_port() const {
    for (std::size_t at = r_.pos(); !r_.raw(at).is(";") && r_.raw(at).kind != TokenKind::kEndOfFile;
         ++at) {
      for (const Token* name : port_names_)
        if (name->text == r_.raw(at).text) return true;
    }
    return false;
  }

  void merge_old_style_ports(ModuleHeader& header, const BodyDeclarations& declared) {
    for (const auto& [key, item] : declared.ports) {
      bool listed = false;
      for (const Token* name : header.port_names) listed |= name->text == key;
      if (!listed)
        r_.fail(*item.name_token, in_quotes(key) +
                                      " is declared as a port but is not in the port "
                                      "list of module " +
                                      in_quotes(header.name));
    }
    for (const Token* name : header.port_names) {
      auto port = declared.ports.find(name->text);
      if (port == declared.ports.end())
        r_.fail(*name, "port " + in_quotes(name->text) + " of module " + in_quotes(header.name) +
                           " has no input, output or inout declaration");
      PortItem item = port->second;
      auto net = declared.nets.find(name->text);
      if (net != declared.nets.end()) merge_net(item, net->second);
      add_port(header, item);
    }
  }

  // With a parameter port list, a parameter of the body is local (IEEE 1800-2017 23.2.3).
  static void merge_body_parameters(ModuleHeader& header, std::vector<ModuleParameter>& body) {
    bool port_list = !header.params.empty();
    for (ModuleParameter& param : body) {
      if (port_list && !param.local) {
        param.local = true;
        param.declaration.replace(0, std::string_view("parameter").size(), "localparam");
      }
      header.params.push_back(std::move(param));
    }
  }

  // "output y; reg [3:0] y;": the port takes its type and range from the net declaration.
  static void merge_net(PortItem& port, const PortItem& net) {
    if (port.type_text.empty() || port.type_text == "signed" || port.type_text == "unsigned") {
      std::string signing = port.type_text;
      port.type_text = net.type_text;
      if (!signing.empty() && net.type_text.find(signing) == std::string::npos)
        port.type_text += (port.type_text.empty() ? "" : " ") + signing;
    }
    if (port.packed.empty()) port.packed = net.packed;
    if (port.unpacked.empty()) port.unpacked = net.unpacked;
  }

  TokenReader r_;
  TypeNames names_;
  SourceModules out_;
  std::vector<const Token*> port_names_;   ///< the old-style port list of the first module
  std::vector<std::string> unit_imports_;  ///< imports met before the first module
};

}  // namespace

SourceModules parse_modules(const SourceManager& sources, const PreprocessedSource& source) {
  return ModuleScanner(sources, source).run();
}

}  // namespace noc::rtl
