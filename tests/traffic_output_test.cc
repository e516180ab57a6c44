// The CSV holds every load point, and the plot draws one line per pattern with its saturation
// point ringed, in numbers a C-locale reader takes.
#include "app/traffic_output.h"

#include <gtest/gtest.h>

#include <sstream>

namespace noc::app {
namespace {

verify::TrafficReport sweep() {
  verify::TrafficReport report;
  report.network = "a 4 x 4 mesh";
  report.routing = "xy";
  report.packet_flits = 4;
  double latencies[] = {10.5, 12.25, 40};
  for (int i = 0; i < 3; ++i) {
    verify::PointReport point;
    point.pattern = verify::Pattern::kUniform;
    point.rate = 0.1 * (i + 1);
    point.result.average_latency = latencies[i];
    point.result.accepted = 0.1 * (i + 1) - 0.01 * i;
    point.saturated = i == 2;
    report.points.push_back(point);
  }
  report.patterns.push_back({verify::Pattern::kUniform, 32, 0.3, 0.28});
  return report;
}

TEST(TrafficCsv, HoldsARowPerLoadPoint) {
  std::ostringstream out;
  write_traffic_csv(out, sweep());
  std::string text = out.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
  EXPECT_NE(text.find("\nuniform,0.2,0.190000,12.250,"), std::string::npos) << text;
  EXPECT_NE(text.find("\nuniform,0.3,0.280000,40.000,0,0,0,0,0,0,1,0\n"), std::string::npos)
      << text;
}

TEST(TrafficSvg, DrawsALinePerPatternAndRingsTheSaturation) {
  std::ostringstream out;
  write_traffic_svg(out, sweep());
  std::string svg = out.str();
  EXPECT_EQ(svg.find("<polyline"), svg.rfind("<polyline"));
  EXPECT_NE(svg.find("data-pattern=\"uniform\""), std::string::npos);
  EXPECT_EQ(svg.find("class=\"saturation\""), svg.rfind("class=\"saturation\""));
  EXPECT_NE(svg.find("class=\"saturation\""), std::string::npos);
  EXPECT_NE(svg.find(">offered load (flits per cycle per source)<"), std::string::npos);
  EXPECT_TRUE(svg.ends_with("</svg>\n"));
}

TEST(TrafficLines, SayWhereAPatternSaturates) {
  verify::TrafficReport report = sweep();
  EXPECT_EQ(traffic_pattern_line(report.patterns[0]),
            "uniform: saturates at an offered 0.300; saturation throughput 0.280 flits per cycle "
            "per source (32 sources)");
  EXPECT_NE(traffic_point_line(report, report.points[2]).find("past saturation"),
            std::string::npos);
}

}  // namespace
}  // namespace noc::app
