#pragma once

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// Writes the module noc_top: the include lines, the fixed port list and preamble, one block
/// per router in description order, and "endmodule".
void write_noc_top(TextSink& out, const Network& network);

/// The include lines and the fixed header up to the first router block.
void write_header(TextSink& out, std::size_t include_count);

}  // namespace noc::emit
