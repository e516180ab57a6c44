#include "model/json_scan.h"

namespace noc::model {

bool scan_plain_json(std::string_view text, JsonHandler& handler) {
  HeldText held;
  return detail::PlainScanner<JsonHandler, HeldText>(text, handler, held).run();
}

}  // namespace noc::model
