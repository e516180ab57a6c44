#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/diagnostics.h"
#include "model/name_index.h"

namespace noc::model {

/// How a member of a node record was written.
enum class Member : std::uint8_t {
  kAbsent,
  kPresent,
  kWrongType,  ///< present, but not of the type the generator reads
};

/// One node of the SoC description: a router or an endpoint (compute tile).
struct Node {
  std::string name;
  std::uint32_t offset = 0;  ///< byte offset of the node's key in the description file
  bool record_is_object = true;
  Member is_router_member = Member::kAbsent;
  bool is_router = false;  ///< the truth value of is_Router
  Member neighbors_member = Member::kAbsent;
  std::vector<std::string> neighbors;
  Member top_module_fname_member = Member::kAbsent;
  std::string top_module_fname;
  bool is_router_boolean = false;  ///< is_Router was written as true or false
  /// The key was given before at this offset; the record here replaced that one.
  std::optional<std::uint32_t> replaced_offset;
  /// Members the generator reads that were given twice: the name, and the offset of the key of
  /// the one that wins (the later).
  std::vector<std::pair<std::string, std::uint32_t>> repeated_members;
};

/// The parsed description: its nodes in the order in which their keys stand in the file (a key
/// written twice keeps its first place and its last record), and a name index.
class Description {
 public:
  Description() = default;
  Description(std::string path, std::vector<Node> nodes, std::vector<std::uint32_t> line_starts,
              std::string text);
  /// The same with the name index already built over `nodes` (node number by name), as the
  /// reader builds it to find keys written twice.
  Description(std::string path, std::vector<Node> nodes, NameIndex index,
              std::vector<std::uint32_t> line_starts, std::string text);
  // The name index points into the nodes, so a copy would point into the original.
  Description(const Description&) = delete;
  Description& operator=(const Description&) = delete;
  Description(Description&&) = default;
  Description& operator=(Description&&) = default;

  const std::string& path() const { return path_; }
  const std::vector<Node>& nodes() const { return nodes_; }
  const Node* find(std::string_view name) const;

  /// 1-based line and column of a node's key.
  std::pair<int, int> line_column(const Node& node) const;

  /// 1-based line and column of a byte offset of the file.
  std::pair<int, int> line_column(std::uint32_t offset) const;

  /// A diagnostic located at the node's key.
  Diagnostic diagnostic(const Node& node, Rule rule, std::string message,
                        std::string other = {}) const;

  /// A diagnostic located at `neighbour`'s entry in the node's neighbors list, or at the node's
  /// key when the entry cannot be found in the text (a name written with escapes).
  Diagnostic neighbour_diagnostic(const Node& node, const std::string& neighbour, Rule rule,
                                  std::string message) const;

  /// Throws the generator's error for `node`, located at its key: `node "R_3": <message>`.
  [[noreturn]] void fail(const Node& node, const std::string& message) const;
  /// The same without the prefix, for messages that name the node themselves.
  [[noreturn]] void fail_at(const Node& node, const std::string& message) const;

 private:
  std::string path_;
  std::vector<Node> nodes_;
  NameIndex index_;
  std::vector<std::uint32_t> line_starts_;
  std::string text_;  ///< kept for columns, which count characters of the line
};

/// A problem of a source that `node` names: located in the source when the error has a line, at
/// the node otherwise (a source that is missing or unreadable), naming the file.
Diagnostic source_problem(const Description& description, const Node& node, const Error& error);

/// Called with the JSON parser's own message when the text is not valid JSON; the generator
/// prints it as one line before it fails.
using ParseErrorReporter = std::function<void(const std::string&)>;

/// Parses a description held in memory. Invalid JSON is reported to `report` and then thrown as
/// the generator's error with its line and column; so is a top level that is not an object.
Description parse_description(std::string path, std::string_view text,
                              const ParseErrorReporter& report);

/// The same for a text the description then keeps (for columns), without a copy.
Description parse_description(std::string path, std::string&& text,
                              const ParseErrorReporter& report);

/// Reads and parses the description file at `path`.
Description load_description(const std::string& path, const ParseErrorReporter& report);

}  // namespace noc::model
