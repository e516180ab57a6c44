// The wires two outputs drive, read from a top's text as a hand edit leaves it.
#include "verify/top_instances.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <ostream>

namespace noc::verify {
namespace {

// Module r has outputs o and p; module t has output q; everything else is an input.
bool is_output(const std::string& module, const std::string& port) {
  return (module == "r" && (port == "o" || port == "p")) || (module == "t" && port == "q");
}

std::string shared_text(const std::string& body) {
  std::string top = "module noc_top #(parameter W = 2)(input clk);\n" + body + "\nendmodule\n";
  std::string out;
  for (const SharedWire& wire : shared_wires(read_top_instances(top, {"r", "t"}), is_output)) {
    out += wire.wire + ":";
    for (const WireDriver& d : wire.drivers) out += " " + d.instance + "." + d.port;
    out += ";";
  }
  return out;
}

struct SharedCase {
  const char* name;
  const char* body;
  const char* shared;
};
void PrintTo(const SharedCase& c, std::ostream* os) {
  *os << c.name;
}

class SharedWires : public testing::TestWithParam<SharedCase> {};

TEST_P(SharedWires, NamesEveryDriverOfAWire) {
  EXPECT_EQ(shared_text(GetParam().body), GetParam().shared);
}

const SharedCase kSharedCases[] = {
    {"distinct_wires", "r a(.o (x), .p (y)); t b(.q (z));", ""},
    {"two_instances_one_wire", "r a(.o (x)); t b(.q (x));", "x: a.o b.q;"},
    {"inputs_do_not_drive", "r a(.o (x), .i (x)); t b(.i (x));", ""},
    {"same_element", "r a(.o ({x[0], y})); t b(.q (x[0]));", "x[0]: a.o b.q;"},
    {"different_elements", "r a(.o ({x[0], y})); t b(.q (x[1]));", ""},
    {"whole_wire_meets_element", "r a(.o (x)); t b(.q (x[1]));", "x: a.o b.q;"},
    {"parameter_overrides_skipped", "r #(.W (W), .N ({1, 2})) a(.o (x)); t #(3) b(.q (x));",
     "x: a.o b.q;"},
    {"implicit_connection", "r a(.o); t b(.q (o));", "o: a.o b.q;"},
    {"one_port_twice", "r a(.o (x), .p (x));", "x: a.o a.p;"},
    {"expressions_are_not_wires", "r a(.o (x[1:0])); t b(.q (x[1:0]));", ""},
    {"other_modules_ignored", "u a(.o (x)); t b(.q (x));", ""},
    {"escaped_instance_name", "r \\a.b (.o (x)); t b(.q (x));", "x: \\a.b.o b.q;"},
};

INSTANTIATE_TEST_SUITE_P(Top, SharedWires, testing::ValuesIn(kSharedCases), test::RowLabel());

TEST(TopInstances, ReadsConnectionsInOrder) {
  auto instances = read_top_instances(
      "module noc_top(input clk);\nwire [1:0] a;\nr i0(\n.clk (clk),\n.o ({a[0],b}),\n.p ());\n"
      "endmodule\n",
      {"r"});
  ASSERT_EQ(instances.size(), 1u);
  EXPECT_EQ(instances[0].name, "i0");
  ASSERT_EQ(instances[0].connections.size(), 3u);
  EXPECT_EQ(instances[0].connections[1].refs.size(), 2u);
  EXPECT_EQ(instances[0].connections[1].refs[0].index, "0");
  EXPECT_TRUE(instances[0].connections[2].refs.empty());
}

TEST(TopInstances, TextThatDoesNotLexGivesNothing) {
  EXPECT_TRUE(read_top_instances("module m; /* r a(.o (x));", {"r"}).empty());
}

}  // namespace
}  // namespace noc::verify
