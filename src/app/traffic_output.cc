#include "app/traffic_output.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

namespace noc::app {
namespace {

// Numbers in the C locale: a comma for a decimal point would break the CSV and the SVG.
std::string number(double value, const char* format = "%.4g") {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  std::string out = text;
  std::replace(out.begin(), out.end(), ',', '.');
  return out;
}

const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};

std::string escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '&')
      out += "&amp;";
    else
      out += c;
  }
  return out;
}

// A round step for an axis reaching `top`: 1, 2 or 5 times a power of ten, about five ticks.
double tick_step(double top) {
  double raw = top / 5, power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * power) return m * power;
  return 10 * power;
}

}  // namespace

std::string traffic_point_line(const verify::TrafficReport& report,
                               const verify::PointReport& point) {
  const verify::PointResult& r = point.result;
  if (point.pattern == verify::Pattern::kAllPairs) {
    std::string line = "all-pairs: " + std::to_string(r.delivered) + " of " +
                       std::to_string(r.created) + " packets delivered in " +
                       std::to_string(r.cycles) + " cycles";
    if (r.slowest && point.problems.empty())
      line += "; slowest " + std::to_string(r.slowest->src) + " → " +
              std::to_string(r.slowest->dst) + ", " + std::to_string(r.slowest_latency) +
              " cycles from its first flit sent to its last received";
    (void)report;
    return line;
  }
  std::string line = verify::pattern_name(point.pattern);
  line.resize(10, ' ');
  line += number(point.rate, "%-7.3f") + "  accepted " + number(r.accepted.value_or(0), "%.3f");
  if (r.average_latency)
    line += "  latency " + number(*r.average_latency, "%.1f") + " avg, " +
            std::to_string(r.p99_latency) + " p99";
  line += "  (" + std::to_string(r.measured_delivered) + " packets measured)";
  if (point.saturated) line += "  past saturation";
  return line;
}

std::string traffic_pattern_line(const verify::PatternSummary& summary) {
  std::string line = std::string(verify::pattern_name(summary.pattern)) + ": ";
  if (summary.saturation_rate)
    line += "saturates at an offered " + number(*summary.saturation_rate, "%.3f");
  else
    line += "no saturation up to the highest rate";
  return line + "; saturation throughput " + number(summary.saturation_throughput, "%.3f") +
         " flits per cycle per source (" + std::to_string(summary.sources) + " sources)";
}

void write_traffic_json(std::ostream& out, const verify::TrafficReport& report) {
  nlohmann::ordered_json json;
  json["routing"] = report.routing;
  json["network"] = report.network;
  json["destinations"] = report.destinations;
  json["flit_width"] = report.flit_width;
  json["dest_field"] = {report.dest.hi, report.dest.lo};
  json["packet_flits"] = report.packet_flits;
  json["passed"] = report.passed();
  json["seconds"] = report.seconds;
  json["notes"] = report.notes;
  nlohmann::ordered_json points = nlohmann::ordered_json::array();
  for (const verify::PointReport& point : report.points) {
    const verify::PointResult& r = point.result;
    nlohmann::ordered_json p;
    p["pattern"] = verify::pattern_name(point.pattern);
    p["offered"] = point.pattern == verify::Pattern::kAllPairs ? nlohmann::ordered_json(nullptr)
                                                               : nlohmann::ordered_json(point.rate);
    p["accepted"] =
        r.accepted ? nlohmann::ordered_json(*r.accepted) : nlohmann::ordered_json(nullptr);
    p["latency_avg"] = r.average_latency ? nlohmann::ordered_json(*r.average_latency)
                                         : nlohmann::ordered_json(nullptr);
    p["latency_p99"] = r.p99_latency;
    p["latency_max"] = r.max_latency;
    p["packets_measured"] = r.measured_delivered;
    p["packets_created"] = r.created;
    p["packets_delivered"] = r.delivered;
    p["cycles"] = r.cycles;
    p["saturated"] = point.saturated;
    if (r.slowest)
      p["slowest"] = {{"source", r.slowest->src},
                      {"destination", r.slowest->dst},
                      {"cycles", r.slowest_latency}};
    p["problems"] = point.problems;
    points.push_back(std::move(p));
  }
  json["points"] = std::move(points);
  nlohmann::ordered_json patterns = nlohmann::ordered_json::array();
  for (const verify::PatternSummary& summary : report.patterns)
    patterns.push_back({{"pattern", verify::pattern_name(summary.pattern)},
                        {"sources", summary.sources},
                        {"saturation_rate", summary.saturation_rate
                                                ? nlohmann::ordered_json(*summary.saturation_rate)
                                                : nlohmann::ordered_json(nullptr)},
                        {"saturation_throughput", summary.saturation_throughput}});
  json["patterns"] = std::move(patterns);
  out << json.dump(2) << "\n";
}

void write_traffic_csv(std::ostream& out, const verify::TrafficReport& report) {
  out << "pattern,offered,accepted,latency_avg,latency_p99,latency_max,packets_measured,"
         "packets_created,packets_delivered,cycles,saturated,problems\n";
  for (const verify::PointReport& point : report.points) {
    const verify::PointResult& r = point.result;
    out << verify::pattern_name(point.pattern) << ","
        << (point.pattern == verify::Pattern::kAllPairs ? "" : number(point.rate, "%.6g")) << ","
        << (r.accepted ? number(*r.accepted, "%.6f") : "") << ","
        << (r.average_latency ? number(*r.average_latency, "%.3f") : "") << "," << r.p99_latency
        << "," << r.max_latency << "," << r.measured_delivered << "," << r.created << ","
        << r.delivered << "," << r.cycles << "," << (point.saturated ? 1 : 0) << ","
        << point.problems.size() << "\n";
  }
}

void write_traffic_svg(std::ostream& out, const verify::TrafficReport& report) {
  const double width = 640, height = 420, left = 70, right = 20, top = 40, bottom = 60;
  std::map<verify::Pattern, std::vector<const verify::PointReport*>> lines;
  double max_rate = 0, max_latency = 0;
  for (const verify::PointReport& point : report.points) {
    if (point.pattern == verify::Pattern::kAllPairs || !point.result.average_latency) continue;
    lines[point.pattern].push_back(&point);
    max_rate = std::max(max_rate, point.rate);
    max_latency = std::max(max_latency, *point.result.average_latency);
  }
  double x_step = tick_step(max_rate > 0 ? max_rate : 1),
         y_step = tick_step(max_latency > 0 ? max_latency : 10);
  double x_top = std::ceil((max_rate > 0 ? max_rate : 1) / x_step) * x_step;
  double y_top = std::ceil((max_latency > 0 ? max_latency : 10) / y_step) * y_step;
  auto x = [&](double rate) { return left + (width - left - right) * rate / x_top; };
  auto y = [&](double latency) {
    return height - bottom - (height - top - bottom) * latency / y_top;
  };
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << number(width) << "\" height=\""
      << number(height) << "\" viewBox=\"0 0 " << number(width) << " " << number(height)
      << "\" font-family=\"Helvetica, sans-serif\" font-size=\"12\">\n"
      << "<title>"
      << escape("Latency against offered load: " + report.network + ", " + report.routing +
                " routing, " + std::to_string(report.packet_flits) + "-flit packets")
      << "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out << "<text x=\"" << number(width / 2) << "\" y=\"22\" text-anchor=\"middle\" font-size=\"14\">"
      << escape(report.network + ", " + report.routing + " routing, " +
                std::to_string(report.packet_flits) + "-flit packets")
      << "</text>\n";
  // Axes, grid and ticks.
  out << "<g stroke=\"#ccc\">\n";
  for (double v = 0; v <= x_top + 1e-9; v += x_step)
    out << "<line x1=\"" << number(x(v)) << "\" y1=\"" << number(y(0)) << "\" x2=\"" << number(x(v))
        << "\" y2=\"" << number(y(y_top)) << "\"/>\n";
  for (double v = 0; v <= y_top + 1e-9; v += y_step)
    out << "<line x1=\"" << number(x(0)) << "\" y1=\"" << number(y(v)) << "\" x2=\""
        << number(x(x_top)) << "\" y2=\"" << number(y(v)) << "\"/>\n";
  out << "</g>\n<g stroke=\"black\">\n<line x1=\"" << number(x(0)) << "\" y1=\"" << number(y(0))
      << "\" x2=\"" << number(x(x_top)) << "\" y2=\"" << number(y(0)) << "\"/>\n<line x1=\""
      << number(x(0)) << "\" y1=\"" << number(y(0)) << "\" x2=\"" << number(x(0)) << "\" y2=\""
      << number(y(y_top)) << "\"/>\n</g>\n";
  for (double v = 0; v <= x_top + 1e-9; v += x_step)
    out << "<text x=\"" << number(x(v)) << "\" y=\"" << number(y(0) + 16)
        << "\" text-anchor=\"middle\">" << number(v, "%.3g") << "</text>\n";
  for (double v = 0; v <= y_top + 1e-9; v += y_step)
    out << "<text x=\"" << number(x(0) - 6) << "\" y=\"" << number(y(v) + 4)
        << "\" text-anchor=\"end\">" << number(v, "%.4g") << "</text>\n";
  out << "<text x=\"" << number((left + width - right) / 2) << "\" y=\"" << number(height - 18)
      << "\" text-anchor=\"middle\">offered load (flits per cycle per source)</text>\n"
      << "<text transform=\"translate(18 " << number((top + height - bottom) / 2)
      << ") rotate(-90)\" text-anchor=\"middle\">average packet latency (cycles)</text>\n";
  // One line per pattern, its saturation point ringed, and a legend.
  int index = 0;
  for (const auto& [pattern, points] : lines) {
    const char* colour = kColours[index % 6];
    out << "<g class=\"pattern\" data-pattern=\"" << verify::pattern_name(pattern)
        << "\">\n<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\" points=\"";
    for (std::size_t i = 0; i < points.size(); ++i)
      out << (i ? " " : "") << number(x(points[i]->rate)) << ","
          << number(y(*points[i]->result.average_latency));
    out << "\"/>\n";
    for (const verify::PointReport* point : points)
      out << "<circle cx=\"" << number(x(point->rate)) << "\" cy=\""
          << number(y(*point->result.average_latency)) << "\" r=\""
          << (point->saturated ? "6\" fill=\"none\" stroke=\"" : "3\" fill=\"") << colour << "\""
          << (point->saturated ? " class=\"saturation\"" : "") << "/>\n";
    double legend_y = top + 8 + 16 * index;
    out << "<line x1=\"" << number(left + 12) << "\" y1=\"" << number(legend_y) << "\" x2=\""
        << number(left + 32) << "\" y2=\"" << number(legend_y) << "\" stroke=\"" << colour
        << "\" stroke-width=\"2\"/>\n<text x=\"" << number(left + 38) << "\" y=\""
        << number(legend_y + 4) << "\">" << verify::pattern_name(pattern) << "</text>\n</g>\n";
    ++index;
  }
  if (lines.empty())
    out << "<text x=\"" << number(width / 2) << "\" y=\"" << number(height / 2)
        << "\" text-anchor=\"middle\">no load pattern was run</text>\n";
  else
    out << "<text x=\"" << number(width - right) << "\" y=\"" << number(top + 8)
        << "\" text-anchor=\"end\" fill=\"#555\">ringed: past saturation</text>\n";
  out << "</svg>\n";
}

}  // namespace noc::app
