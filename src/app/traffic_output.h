#pragma once

// What nocgen traffic prints and writes: a line per load point, the CSV of every number, and a
// plot of latency against offered load, one line per pattern.
#include <ostream>
#include <string>

#include "verify/traffic.h"

namespace noc::app {

/// "uniform    0.100   0.099   23.4   41   1200"; all-pairs points are said in a sentence.
std::string traffic_point_line(const verify::TrafficReport& report,
                               const verify::PointReport& point);

/// The closing line of a pattern: where it saturates and its saturation throughput.
std::string traffic_pattern_line(const verify::PatternSummary& summary);

/// Every number of the run as one JSON object: the network, the packet layout, each load point
/// with its problems, and each pattern's saturation.
void write_traffic_json(std::ostream& out, const verify::TrafficReport& report);

/// One row per load point, headed by the column names.
void write_traffic_csv(std::ostream& out, const verify::TrafficReport& report);

/// Average latency against offered load, one polyline per load pattern, the axes labelled with
/// their units and the saturation point of each pattern marked; a plain SVG document.
void write_traffic_svg(std::ostream& out, const verify::TrafficReport& report);

}  // namespace noc::app
