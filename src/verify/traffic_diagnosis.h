#pragma once

// Puts what a traffic simulation ended with into the user's words: each packet that arrived
// wrong, and, when the network stalled, the router outputs holding flits, and whether the
// routes' dependency graph explains it (a deadlock) or a router does (one that drops packets or
// never grants an output).
#include <string>
#include <vector>

#include "route/design_routes.h"
#include "verify/traffic_log.h"

namespace noc::verify {

/// "packet 3 → 5 #7".
std::string packet_words(const PacketId& packet);

/// Every problem of one simulation, one line each, the worst first; none when every packet that
/// entered the network arrived once, where it was sent, unchanged.
std::vector<std::string> traffic_problems(const PointResult& result,
                                          const route::DesignRoutes& routes);

}  // namespace noc::verify
