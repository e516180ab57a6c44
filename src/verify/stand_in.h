#pragma once

#include <string>
#include <vector>

#include "rtl/module_header_parser.h"

namespace noc::verify {

/// One port of a stand-in, in the order of its port number.
struct ProbedPort {
  std::string name;
  bool input = false;
  bool probed = false;  ///< false for a port with unpacked dimensions: declared, never driven
};

struct StandIn {
  std::string text;
  std::vector<ProbedPort> ports;
};

/// The head of a module with `header`'s interface: its name, imports, parameters and its input
/// and output declarations, types and dimensions as written.
std::string stand_in_header(const rtl::ModuleHeader& header);

/// A port with unpacked dimensions: a stand-in declares it and never drives it.
bool has_unpacked_dimensions(const rtl::PortTuple& port);

/// A module with the interface of `header` (its imports, parameters and input and output
/// declarations, types and dimensions as written) whose body drives every output bit with its
/// probe code, step by step, records what every input bit receives, and prints both when the
/// simulation ends:
///   INST <path> <instance number> <module number>
///   SEND <path> <port number> <bits>
///   RECV <path> <port number> <bits> <one 64-bit code per bit, in hex>
/// `origin` (the source file) goes into the stand-in's comment.
StandIn write_stand_in(const rtl::ModuleHeader& header, const std::string& origin,
                       int module_number);

}  // namespace noc::verify
