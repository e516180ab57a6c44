// The whole generation on arbitrary description bytes with the bundled sources: loading, every
// rule, the plan and the writer into memory. A generation whose rules found no error must write
// without failing; any exception other than the generator's own error is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/error.h"
#include "emit/noc_top_writer.h"
#include "emit/text_sink.h"
#include "model/description.h"
#include "model/description_reader.h"
#include "model/resolve.h"

namespace {

class CountingSink : public noc::emit::TextSink {
 protected:
  void drain(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static noc::rtl::RtlCatalog catalog(NOC_EXAMPLE_DIR);
  std::string_view text(reinterpret_cast<const char*>(data), size);
  noc::model::Description description;
  try {
    description = noc::model::parse_description("fuzz.json", text, [](const std::string&) {});
  } catch (const noc::Error&) {
    return 0;
  }
  noc::model::DiagnosticSink sink;
  std::unique_ptr<noc::model::Resolution> resolved =
      noc::model::resolve(description, catalog, sink);
  for (const noc::model::Diagnostic& d : sink.list()) (void)noc::model::render(d);
  if (sink.has_error()) return 0;
  CountingSink out;
  noc::emit::Network network{description,     resolved->table,  *resolved->router_ports,
                             *resolved->tile, *resolved->wires, *resolved->plan};
  try {
    noc::emit::write_noc_top(out, network);
  } catch (...) {
    std::abort();  // the plan passed, so writing must not fail
  }
  return 0;
}
