// Times reading one large SystemVerilog source (lexing, preprocessing, the header and skipping
// the body), at several sizes, to show that the front end stays linear in the source's length.
#include <benchmark/benchmark.h>

#include <string>

#include "rtl/extract_rtl.h"

namespace {

// A module of about `lines` lines: a quarter ports with macro-built dimensions, the rest a body
// of the kinds of statements real RTL holds.
std::string make_source(int lines) {
  std::string text =
      "`define W(n) [n-1:0]\n`define ASSERT(name, p) name: assert property (p);\n"
      "module big #(parameter int N = 8)(\n  input logic clk,\n";
  int ports = lines / 4;
  for (int i = 0; i < ports; ++i)
    text += "  " + std::string(i % 2 ? "output" : "input") + " logic `W(N)[3:0] p" +
            std::to_string(i) + " [2],\n";
  text += "  input logic rst\n);\n";
  for (int i = 0; i < (lines - ports) / 3; ++i) {
    std::string n = std::to_string(i);
    text += "  always_ff @(posedge clk) if (rst) r" + n + " <= '0; else r" + n + " <= p" + n +
            "[0];\n  `ASSERT(a" + n + ", @(posedge clk) r" + n + " |-> ##1 p" + n +
            ")\n  function automatic int f" + n + "(input int x); return x + " + n +
            "; endfunction\n";
  }
  return text + "endmodule\n";
}

void BM_ExtractSource(benchmark::State& state) {
  const std::string text = make_source(static_cast<int>(state.range(0)));
  std::size_t ports = 0;
  for (auto _ : state) {
    noc::rtl::ParsedSource parsed = noc::rtl::parse_source_text("big.sv", text);
    ports = parsed.first.inputs.size() + parsed.first.outputs.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
  state.counters["ports"] = static_cast<double>(ports);
  state.counters["us_per_kline"] = benchmark::Counter(
      static_cast<double>(state.range(0)) / 1000.0 * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_ExtractSource)->Arg(5000)->Arg(20000)->Arg(80000)->Unit(benchmark::kMillisecond);
