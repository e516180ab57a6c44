#include "model/json_scan.h"

namespace noc::model {

bool scan_plain_json(std::string_view text, JsonHandler& handler) {
  return detail::PlainScanner<JsonHandler>(text, handler).run();
}

}  // namespace noc::model
