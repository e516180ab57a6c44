#include "verify/probe_code.h"

#include <unordered_set>

namespace noc::verify {
namespace {

constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
// Non-zero, so that an undriven input (all zeros) fails the check.
constexpr std::uint64_t kCheckSalt = 0x5A;

std::uint64_t body_of(const ProbeCode& code) {
  return (std::uint64_t{code.instance} << 34) | (std::uint64_t{code.port} << 24) | code.bit;
}

std::uint64_t check_byte(std::uint64_t body) {
  return ((body * kMix) >> 56) ^ kCheckSalt;
}

}  // namespace

std::uint64_t encode(const ProbeCode& code) {
  std::uint64_t body = body_of(code);
  return (body << 8) | check_byte(body);
}

std::optional<ProbeCode> decode(std::uint64_t value) {
  std::uint64_t body = value >> 8;
  if ((value & 0xFF) != check_byte(body)) return std::nullopt;
  return ProbeCode{static_cast<std::uint32_t>(body >> 34),
                   static_cast<std::uint32_t>((body >> 24) & (kMaxPorts - 1)),
                   static_cast<std::uint32_t>(body & (kMaxPortBits - 1))};
}

std::uint32_t instance_number(std::string_view name, std::uint32_t seed) {
  std::uint32_t hash = 2166136261u ^ seed;  // FNV-1a
  for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
  return (hash ^ (hash >> 22)) % (kMaxInstances - 1) + 1;
}

std::uint32_t distinct_seed(const std::vector<std::string>& names) {
  for (std::uint32_t seed = 0;; ++seed) {
    std::unordered_set<std::uint32_t> seen;
    bool distinct = true;
    for (const std::string& name : names)
      distinct &= seen.insert(instance_number(name, seed)).second;
    if (distinct) return seed;
  }
}

std::string probe_package_text(std::uint32_t seed) {
  return "// Written by nocgen verify: what the stand-ins of this simulation share.\n"
         "package noc_verify_probe;\n"
         "  localparam int STEPS = " +
         std::to_string(kProbeSteps) +
         ";\n"
         "  // The bench counts the steps; every toggle of a tick is a step for every stand-in.\n"
         "  int step = 0;\n"
         "  bit drive_tick = 1'b0;\n"
         "  bit sample_tick = 1'b0;\n\n"
         "  localparam int MAX_BITS = " +
         std::to_string(kMaxStepWordBits) +
         ";\n\n"
         "  function automatic longint unsigned code(int unsigned id, int unsigned port,\n"
         "                                           int unsigned bit_index);\n"
         "    longint unsigned body = (64'(id) << 34) | (64'(port) << 24) | 64'(bit_index);\n"
         "    longint unsigned mix = body * 64'h9E3779B97F4A7C15;\n"
         "    return (body << 8) | ((mix >> 56) ^ 64'h5A);\n"
         "  endfunction\n\n"
         "  // What every bit of one output sends at one step: bit 63 - step of its code. A task: "
         "a\n"
         "  // function returning more than 64 bits cannot be compiled on its own.\n"
         "  task automatic step_word(input int unsigned id, input int unsigned port,\n"
         "                           input int unsigned bits, input int step,\n"
         "                           output bit [MAX_BITS-1:0] word);\n"
         "    /*verilator no_inline_task*/\n"
         "    word = '0;\n"
         "    for (int unsigned i = 0; i < bits; i++) word[i] = 1'(code(id, port, i) >> (63 - "
         "step));\n"
         "  endtask\n\n"
         "  // An instance is known by the last part of its hierarchical name.\n"
         "  function automatic int unsigned instance_id(string path);\n"
         "    /*verilator no_inline_task*/\n"
         "    int unsigned hash = 32'd2166136261 ^ 32'd" +
         std::to_string(seed) +
         ";\n"
         "    int first = 0;\n"
         "    for (int i = 0; i < path.len(); i++) if (path[i] == \".\") first = i + 1;\n"
         "    for (int i = first; i < path.len(); i++) hash = (hash ^ 32'(path[i])) * "
         "32'd16777619;\n"
         "    return (hash ^ (hash >> 22)) % " +
         std::to_string(kMaxInstances - 1) +
         " + 1;\n"
         "  endfunction\n"
         "endpackage\n";
}

}  // namespace noc::verify
