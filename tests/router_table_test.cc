// The router table and the router port template.
#include <gtest/gtest.h>

#include "model/description.h"
#include "model/description_reader.h"
#include "model/port_template.h"
#include "model/router_table.h"

namespace noc::model {
namespace {

Description parse(const std::string& text) {
  return parse_description("d.json", text, {});
}

TEST(RouterTable, CountsPortsAndNamesLinksInDescriptionOrder) {
  Description d = parse(R"({
    "T_0": {"is_Router": 0, "top_module_fname": "a.sv"},
    "R_9": {"is_Router": "false", "neighbors": ["R_10", "T_0", "R_10", "T_0"], "top_module_fname": "r.sv"},
    "R_10": {"is_Router": [0], "neighbors": ["R_9"], "top_module_fname": "r.sv"},
    "T_1": {"is_Router": null, "top_module_fname": "b.sv"}})");
  RouterTable table = build_router_table(d);
  ASSERT_EQ(table.routers.size(), 2u);
  const RouterRecord& r9 = table.routers[0];
  EXPECT_EQ(r9.name(), "R_9");
  ASSERT_EQ(r9.links.size(), 2u);
  EXPECT_EQ(table.link_names[r9.links[0].name], "R_9_10");
  EXPECT_EQ(r9.links[1].name, r9.links[0].name);
  EXPECT_EQ(table.routers[1].links[0].name, r9.links[0].name);
  EXPECT_EQ(d.nodes()[r9.links[1].neighbour].name, "R_10");
  EXPECT_TRUE(r9.links[0].first_end);
  EXPECT_FALSE(r9.has_second_end);
  EXPECT_EQ(r9.no_of_ports, 6);
  EXPECT_EQ(r9.no_of_EPs, 2);
  ASSERT_EQ(r9.tiles.size(), 2u);
  EXPECT_EQ(r9.tiles[1]->name, "T_0");
  EXPECT_TRUE(table.routers[1].tiles.empty());
  EXPECT_TRUE(table.routers[1].has_second_end);
  EXPECT_EQ(table.ip, "b.sv");
  EXPECT_EQ(table.link_names.size(), 1u);
  EXPECT_TRUE(is_first_end("R_9", "R_10"));
  EXPECT_FALSE(is_first_end("R_10", "R_9"));
}

TEST(RouterTable, LeadingZerosFailTheFirstEndTestOnBothRouters) {
  Description d = parse(R"({
    "R_01": {"is_Router": true, "neighbors": ["R_2"], "top_module_fname": "r.sv"},
    "R_2": {"is_Router": true, "neighbors": ["R_01"], "top_module_fname": "r.sv"}})");
  RouterTable table = build_router_table(d);
  EXPECT_FALSE(table.routers[0].links[0].first_end);
  EXPECT_FALSE(table.routers[1].links[0].first_end);
}

rtl::PortTuple port(const std::string& name) {
  return rtl::make_port_tuple("", "", name, "", "");
}

TEST(RouterTemplate, ClockAndResetByExactNameInInputOrder) {
  RouterPortTemplate t = make_router_template(
      {port("rst"), port("in_flit"), port("clk"), port("clk_in"), port("in_flit")},
      {port("rst"), port("out_flit")});
  EXPECT_EQ(t.router_clk_rst, (std::vector<std::string>{"rst", "clk"}));
  EXPECT_EQ(t.data_inputs.size(), 3u);
  EXPECT_EQ(t.router_inputs_dict.size(), 2u);
  EXPECT_TRUE(t.router_outputs_dict.contains("rst"));
}

}  // namespace
}  // namespace noc::model
