#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace noc::verify {

/// What one output bit of a stand-in sends, one code bit per step, most significant first: the
/// instance, the port and the bit it comes from, and a check byte, so that an input that is
/// driven by nothing (all zeros) or by two outputs at once (a mix) reads as no valid code.
struct ProbeCode {
  std::uint32_t instance = 0;  ///< the instance's number, instance_number() of its name
  std::uint32_t port = 0;      ///< position in the stand-in's port list
  std::uint32_t bit = 0;       ///< bit of the port, as a flat vector, 0 the least significant

  friend bool operator==(const ProbeCode&, const ProbeCode&) = default;
};

inline constexpr int kProbeSteps = 64;
inline constexpr std::uint32_t kMaxInstances = 1u << 22;
inline constexpr std::uint32_t kMaxPorts = 1u << 10;
inline constexpr std::uint32_t kMaxPortBits = 1u << 24;
/// The widest output the probe package drives in one call.
inline constexpr std::uint32_t kMaxStepWordBits = 4096;

std::uint64_t encode(const ProbeCode& code);
/// Nothing when `value` is no code any single output sends.
std::optional<ProbeCode> decode(std::uint64_t value);

/// The number an instance sends in its codes: a hash of the last part of its hierarchical name,
/// never 0. A hash rather than a table, because a table in the stand-ins would be compiled once
/// per instance and grow the simulation with the square of the network.
std::uint32_t instance_number(std::string_view name, std::uint32_t seed);

/// A seed under which the names get distinct numbers.
std::uint32_t distinct_seed(const std::vector<std::string>& names);

/// The package every stand-in imports: encode() and instance_number() with `seed`.
std::string probe_package_text(std::uint32_t seed);

}  // namespace noc::verify
