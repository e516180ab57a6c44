#pragma once

#include <string>
#include <vector>

#include "emit/text_sink.h"

#include "app/description_check.h"

namespace noc::app {

/// The network as a Graphviz graph: routers as boxes, tiles as ellipses, one edge per link
/// labelled with its link name, one edge per tile listing. Nodes and links that a check found a
/// problem with are drawn in red.
void write_dot(emit::TextSink& out, const CheckReport& report);

/// Renders a graph with Graphviz's `dot` in `format` ("svg", "png") into the open file
/// `output_fd` (the temporary file of the output named `output`). Throws noc::Error when dot is
/// not installed, fails or is ended by a signal.
void render_dot(const std::string& dot_text, const std::string& format, int output_fd,
                const std::string& output);

/// Draws the network of a checked design into `output`: DOT text for "-", a .dot or .gv name or
/// a stream (a FIFO), any other extension rendered by Graphviz. Refuses an output that is one of
/// the files the check read, and a format Graphviz does not render, before writing anything.
void draw_network(const CheckReport& report, const std::string& output);

/// The output formats the installed Graphviz renders (`dot -T?` lists them), or none when it is
/// not installed.
std::vector<std::string> graphviz_formats();

}  // namespace noc::app
