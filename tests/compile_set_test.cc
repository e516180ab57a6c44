// What a simulation compiles besides the top: the packages it needs, in an order Verilator
// accepts, and stand-ins for the framework's files when the tree has none.
#include "verify/compile_set.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace noc::verify {
namespace {

TEST(CompileSet, NamesThePackagesATextUses) {
  EXPECT_EQ(package_references("import a_pkg::*; b_pkg::word_t x; std::randomize(y); a_pkg::N"),
            (std::vector<std::string>{"a_pkg", "b_pkg"}));
  EXPECT_EQ(include_entries("`include \"x.vh\"\n  `include  \"d/y.svh\"\n`define Z 1"),
            (std::vector<std::string>{"x.vh", "d/y.svh"}));
}

TEST(CompileSet, OrdersPackagesAfterThoseTheyUse) {
  test::TempDir dir;
  test::write_file(dir.path() + "/top_pkg.sv",
                   "package top_pkg; import base_pkg::*; localparam W = base_pkg::N; endpackage");
  test::write_file(dir.path() + "/base_pkg.sv", "package base_pkg; localparam N = 4; endpackage");
  test::write_file(dir.path() + "/unused_pkg.sv", "package unused_pkg; endpackage");
  // A package beside a module is not compiled: the module could clash with a stand-in.
  test::write_file(dir.path() + "/mixed.sv", "package mixed_pkg; endpackage module m; endmodule");
  rtl::RtlCatalog catalog(dir.path());
  CompileSet set = gather_compile_set(catalog, dir.path() + "/noc_soc.sv", "",
                                      {"module s(input [top_pkg::W-1:0] a, mixed_pkg::t b);"});
  ASSERT_EQ(set.package_files.size(), 2u);
  EXPECT_EQ(set.package_files[0], dir.path() + "/base_pkg.sv");
  EXPECT_EQ(set.package_files[1], dir.path() + "/top_pkg.sv");
  EXPECT_EQ(set.notes, (std::vector<std::string>{"no package mixed_pkg below the base directory"}));
}

TEST(CompileSet, StandsInForTheFrameworkOnlyWhenMissing) {
  test::TempDir dir;
  test::write_file(dir.path() + "/dii_package.sv", "package dii_package; endpackage");
  rtl::RtlCatalog catalog(dir.path());
  std::string top =
      "`include \"dbg_config.vh\"\n`include \"../escape.vh\"\nmodule noc_top; import "
      "dii_package::*; import optimsoc_config::*; endmodule";
  CompileSet set = gather_compile_set(catalog, dir.path() + "/noc_soc.sv", top, {});
  EXPECT_EQ(set.package_files, (std::vector<std::string>{dir.path() + "/dii_package.sv"}));
  ASSERT_EQ(set.written.size(), 2u);
  EXPECT_EQ(set.written[0].first, "optimsoc_config.sv");
  EXPECT_NE(set.written[0].second.find("int NOC_CHANNELS;"), std::string::npos);
  EXPECT_EQ(set.written[1].first, "dbg_config.vh");
  // A header name that leads out of the work directory gets no stand-in written.
  EXPECT_EQ(set.notes.back(), "no header \"../escape.vh\" below the base directory");
}

}  // namespace
}  // namespace noc::verify
