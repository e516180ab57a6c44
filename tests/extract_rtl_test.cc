// The catalog: sources and their headers found below a base directory, with -D, -U and -I.
#include "rtl/extract_rtl.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

using test::write_file;

class Catalog : public testing::Test {
 protected:
  test::TempDir dir;
  std::string at(const std::string& name) { return dir.path() + "/" + name; }
  void SetUp() override { std::filesystem::create_directories(at("rtl")); }
};

TEST_F(Catalog, FindsHeadersBelowTheBaseDirectory) {
  write_file(at("inc/defs.vh"), "`define BYTE [7:0]\n");
  write_file(at("rtl/m.sv"), "`include \"defs.vh\"\nmodule m(input `BYTE a);endmodule\n");
  RtlCatalog catalog(dir.path());
  const ParsedSource& source = catalog.parse("m.sv");
  EXPECT_EQ(source.first.inputs.at(0).join_from(0), "[7:0] a");
  EXPECT_EQ(source.headers_read, std::vector<std::string>{at("inc/defs.vh")});
}

TEST_F(Catalog, IncludeDirectoriesComeFirst) {
  std::filesystem::create_directories(at("outside"));
  write_file(at("inc/defs.vh"), "`define BYTE [7:0]\n");
  write_file(at("outside/defs.vh"), "`define BYTE [15:0]\n");
  write_file(at("rtl/m.sv"), "`include \"defs.vh\"\nmodule m(input `BYTE a);endmodule\n");
  RtlOptions options;
  options.include_dirs = {at("outside")};
  RtlCatalog catalog(dir.path(), options);
  EXPECT_EQ(catalog.parse("m.sv").first.inputs.at(0).join_from(0), "[15:0] a");
}

TEST_F(Catalog, DefinesChooseThePortsUnderIfdef) {
  write_file(at("rtl/m.sv"),
             "module m(input a,\n`ifdef WITH_B\ninput b,\n`endif\noutput c);endmodule\n");
  RtlOptions options;
  options.defines = {{"WITH_B", ""}};
  RtlCatalog with(dir.path(), options);
  EXPECT_EQ(with.parse("m.sv").first.inputs.size(), 2u);
  RtlCatalog without(dir.path());
  EXPECT_EQ(without.parse("m.sv").first.inputs.size(), 1u);
}

TEST_F(Catalog, AMissingHeaderIsAnErrorOnlyWhereItIsNeeded) {
  write_file(at("rtl/fine.sv"), "`include \"framework.vh\"\nmodule f(input a);endmodule\n");
  write_file(at("rtl/needs.sv"), "`include \"framework.vh\"\nmodule n(input `BYTE a);endmodule\n");
  RtlCatalog catalog(dir.path());
  EXPECT_EQ(catalog.parse("fine.sv").includes, std::vector<std::string>{"framework.vh"});
  try {
    catalog.parse("needs.sv");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.file(), at("rtl/needs.sv"));
    EXPECT_EQ(error.line(), 2);
    EXPECT_NE(error.message().find("`BYTE is not defined; it may come from \"framework.vh\""),
              std::string::npos)
        << error.what();
  }
}

TEST_F(Catalog, AGuessAboutWhichModuleComesFirstIsRefused) {
  write_file(at("rtl/m.sv"),
             "`include \"framework.vh\"\n`ifdef WIDE\nmodule m(input [63:0] a);"
             "endmodule\n`else\nmodule m(input [31:0] a);endmodule\n`endif\n");
  RtlCatalog catalog(dir.path());
  test::expect_located_error([&] { catalog.parse("m.sv"); },
                             {"", "", 2, 1, "depend on whether WIDE is defined"});
}

TEST_F(Catalog, AnAmbiguousHeaderIsRefused) {
  write_file(at("a/defs.vh"), "");
  write_file(at("b/defs.vh"), "");
  write_file(at("rtl/m.sv"), "`include \"defs.vh\"\nmodule m(input a);endmodule\n");
  RtlCatalog catalog(dir.path());
  try {
    catalog.parse("m.sv");
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(error.message().find("the include \"defs.vh\" is ambiguous"), std::string::npos);
  }
}

TEST_F(Catalog, AnIncludeLeadingOutsideTheBaseIsRefusedNamingDashI) {
  test::TempDir outside;
  write_file(outside.path() + "/widths.vh", "`define W 4\n");
  std::string relative =
      std::filesystem::relative(outside.path() + "/widths.vh", at("rtl")).string();
  write_file(at("rtl/m.sv"), "`include \"" + relative + "\"\nmodule m(input a);endmodule\n");
  RtlCatalog catalog(dir.path());
  test::expect_located_error([&] { catalog.parse("m.sv"); },
                             {"", "", 1, 1, "outside the base directory"});
  RtlOptions options;
  options.include_dirs = {outside.path()};
  write_file(at("rtl/n.sv"), "`include \"widths.vh\"\nmodule n(input [`W:0] a);endmodule\n");
  RtlCatalog with_dir(dir.path(), options);
  EXPECT_EQ(with_dir.parse("n.sv").first.inputs.at(0).join_from(0), "[4:0] a");
  EXPECT_EQ(with_dir.parse("m.sv").headers_read.size(), 1u) << "the -I directory holds it";
}

// Verilator reads `include "/abs/w.vh" as that file; so does the catalog, within the same
// confinement as a header found by path.
TEST_F(Catalog, AnAbsoluteIncludeIsThatFileWhereAHeaderMayBe) {
  test::TempDir outside;
  write_file(at("inc/w.vh"), "`define W 6\n");
  write_file(outside.path() + "/w.vh", "`define W 2\n");
  write_file(at("rtl/m.sv"),
             "`include \"" + at("inc/w.vh") + "\"\nmodule m(input [`W:0] a);endmodule\n");
  write_file(at("rtl/n.sv"),
             "`include \"" + outside.path() + "/w.vh\"\nmodule n(input [`W:0] a);endmodule\n");
  RtlCatalog catalog(dir.path());
  EXPECT_EQ(catalog.parse("m.sv").first.inputs.at(0).join_from(0), "[6:0] a");
  test::expect_located_error([&] { catalog.parse("n.sv"); },
                             {"", "", 1, 1, "outside the base directory"});
  RtlOptions options;
  options.include_dirs = {outside.path()};
  RtlCatalog with_dir(dir.path(), options);
  EXPECT_EQ(with_dir.parse("n.sv").first.inputs.at(0).join_from(0), "[2:0] a");
}

TEST_F(Catalog, UnitFilesAreReadUpToTheSourceItself) {
  write_file(at("defs.svh"), "`define W 8\n");
  write_file(at("late.svh"), "`define W 16\n");
  write_file(at("rtl/m.sv"), "module m(input [`W-1:0] a);endmodule\n");
  RtlOptions options;
  options.unit_files = {at("defs.svh"), at("rtl/m.sv"), at("late.svh")};
  RtlCatalog catalog(dir.path(), options);
  const ParsedSource& source = catalog.parse("m.sv");
  EXPECT_EQ(source.first.inputs.at(0).join_from(0), "[8-1:0] a");
  EXPECT_EQ(source.headers_read, std::vector<std::string>{at("defs.svh")});
}

TEST_F(Catalog, ARelativeBaseDirectoryFindsSourcesWithAFolderPart) {
  write_file(at("rtl/m.sv"), "module m(input a);endmodule\n");
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(at("rtl"));
  for (const char* base : {"..", ".", "../rtl/.."}) {
    RtlCatalog catalog(base);
    std::string name = std::string(base) == "." ? "./m.sv" : "rtl/m.sv";
    EXPECT_EQ(catalog.parse(name).module_names.at(0), "m") << base;
  }
  std::filesystem::current_path(before);
}

TEST_F(Catalog, ASourceWithoutModuleHasNoTopModule) {
  write_file(at("rtl/pkg.sv"), "package p; endpackage\n");
  RtlCatalog catalog(dir.path());
  EXPECT_THROW(top_module(catalog.parse("pkg.sv")), Error);
}

}  // namespace
}  // namespace noc::rtl
