#pragma once

#include <cstdint>
#include <string>

namespace noc::test {

/// Writes a random description for a seed: regular meshes and rings, irregular graphs, and the
/// quirks users write (numbers with leading zeros or signs, other prefixes, names without a
/// number or that are no identifiers, one-sided links, tiles listed twice or not at all, names
/// and members given twice, members missing or of the wrong type, unknown neighbours, a second
/// tile source and a missing one). The same seed always gives the same text.
std::string random_description(std::uint32_t seed);

}  // namespace noc::test
