#include "rtl/port.h"

namespace noc::rtl {

std::string PortTuple::join_from(std::size_t first) const {
  std::string out;
  for (std::size_t i = first; i < pieces.size(); ++i) out += pieces[i];
  return out;
}

PortTuple make_port_tuple(std::string outer, std::string inner, std::string name,
                          std::string unpacked, std::string type_text) {
  PortTuple tuple;
  tuple.pieces = {std::move(outer), std::move(inner), " ", std::move(name)};
  if (!unpacked.empty()) tuple.pieces.push_back(" " + unpacked);
  tuple.type_text = std::move(type_text);
  return tuple;
}

}  // namespace noc::rtl
