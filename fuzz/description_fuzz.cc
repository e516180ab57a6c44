// Description loading and the router table on arbitrary bytes: anything but the generator's own
// error is a finding, and so is a text that the plain JSON scanner reads otherwise than the full
// JSON reader, or otherwise through a small window than held whole.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <cstdlib>

#include "common/error.h"
#include "json_events.h"
#include "model/description.h"
#include "model/description_reader.h"
#include "model/router_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // What the plain scanner reads itself it must read as the full JSON reader does.
  std::optional<std::string> plain = noc::test::plain_events(text);
  if (plain && plain != noc::test::full_events(text)) std::abort();
  // Read through a window a few bytes wide, as a large file is, it must read the same.
  if (noc::test::windowed_events(text, 1 + size % 13) != plain) std::abort();
  try {
    noc::model::Description description =
        noc::model::parse_description("fuzz.json", text, [](const std::string&) {});
    noc::model::RouterTable table = noc::model::build_router_table(description);
    // Each link's name and end, as the table spells them once, are those of its two names.
    for (const noc::model::RouterRecord& router : table.routers) {
      for (const noc::model::RouterLink& link : router.links) {
        std::string_view neighbour = description.nodes()[link.neighbour].name;
        if (noc::model::link_name(router.name(), neighbour) != table.link_names[link.name] ||
            noc::model::is_first_end(router.name(), neighbour) != link.first_end)
          std::abort();
      }
    }
  } catch (const noc::Error&) {
  }
  return 0;
}
