#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace noc::rtl {

/// One port as the generator sees it: text pieces and the position of the piece that holds the
/// port name. The pieces are laid out so that joining a run of them gives a declaration:
///   [outer packed dimension, inner packed dimensions, " ", name]  and, when the port has unpacked
///   dimensions, one more piece " [4]".
/// Joining all pieces gives "[3:0][7:0] data"; leaving out the outer dimension gives the type of
/// one element, "[7:0] data", which is what a router-to-router link carries.
struct PortTuple {
  std::vector<std::string> pieces;
  std::size_t name_index = 3;
  /// The data type as written ("logic", "pkg::req_t", "wire signed"); not part of the pieces,
  /// since every generated wire is a plain net.
  std::string type_text;

  const std::string& name() const { return pieces[name_index]; }

  /// Pieces from `first` up to the end, joined: the text of a declaration after its keyword.
  std::string join_from(std::size_t first) const;

  friend bool operator==(const PortTuple&, const PortTuple&) = default;
};

PortTuple make_port_tuple(std::string outer, std::string inner, std::string name,
                          std::string unpacked, std::string type_text);

struct ModuleParameter {
  std::string name;
  std::string default_text;  ///< empty when the parameter has no default
  bool local = false;        ///< declared with localparam
  /// The whole declaration as written after preprocessing, its keyword and type made explicit
  /// where the list carried them over ("parameter int B = 2" for the B of "parameter int A = 1,
  /// B = 2"): what a module with the same interface must declare.
  std::string declaration;
  friend bool operator==(const ModuleParameter&, const ModuleParameter&) = default;
};

}  // namespace noc::rtl
