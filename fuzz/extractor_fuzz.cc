// The SystemVerilog lexer, preprocessor and module header parser on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/error.h"
#include "rtl/extract_rtl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A smaller expansion bound than the tool's keeps each run fast; the bound is what is tested.
  static const noc::rtl::PreprocessOptions options = [] {
    noc::rtl::PreprocessOptions o;
    o.max_expanded_tokens = 1 << 16;
    return o;
  }();
  try {
    noc::rtl::ParsedSource parsed = noc::rtl::parse_source_text(
        "fuzz.sv", std::string(reinterpret_cast<const char*>(data), size), options);
    for (const noc::rtl::PortTuple& port : parsed.first.inputs) (void)port.join_from(0);
    for (const noc::rtl::PortTuple& port : parsed.first.outputs) (void)port.join_from(0);
  } catch (const noc::Error&) {
  }
  return 0;
}
