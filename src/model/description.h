#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/description_text.h"
#include "model/diagnostics.h"
#include "model/name_index.h"
#include "model/name_store.h"
#include "rtl/parsed_source.h"

namespace noc::model {

/// How a member of a node record was written.
enum class Member : std::uint8_t {
  kAbsent,
  kPresent,
  kWrongType,  ///< present, but not of the type the generator reads
};

/// One node of the SoC description: a router or an endpoint (compute tile). Its texts are views
/// of the description's text; its neighbours are a stretch of the description's one neighbour
/// array, read with `Description::neighbours`.
struct Node {
  std::string_view name;
  std::string_view top_module_fname;
  std::uint32_t offset = 0;  ///< byte offset of the node's key in the description file
  /// The key was given before at this offset; the record here replaced that one.
  std::optional<std::uint32_t> replaced_offset;
  std::uint32_t first_neighbour = 0;  ///< where its neighbours start in the neighbour array
  std::uint32_t neighbour_count = 0;
  Member is_router_member = Member::kAbsent;
  Member neighbors_member = Member::kAbsent;
  Member top_module_fname_member = Member::kAbsent;
  bool record_is_object = true;
  bool is_router = false;          ///< the truth value of is_Router
  bool is_router_boolean = false;  ///< is_Router was written as true or false
  bool has_repeated_members = false;
};

/// A member the generator reads, given twice in one record: the later one wins.
struct RepeatedMember {
  std::uint32_t node = 0;    ///< the node's number
  std::string_view member;   ///< "is_Router", "neighbors" or "top_module_fname"
  std::uint32_t offset = 0;  ///< of the key of the one that wins
};

/// One entry of a node's neighbors list: the name as written and the node of that name, if any.
struct Neighbour {
  std::string_view name;
  const Node* node = nullptr;  ///< null when no node has that name
};

/// The neighbors list of one node, entries in list order, a name listed twice standing twice.
class NeighbourList {
 public:
  class iterator {
   public:
    using value_type = Neighbour;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    iterator(const NeighbourList* list, std::size_t at) : list_(list), at_(at) {}
    Neighbour operator*() const { return (*list_)[at_]; }
    iterator& operator++() { return ++at_, *this; }
    iterator operator++(int) { return iterator(list_, at_++); }
    bool operator==(const iterator& other) const { return at_ == other.at_; }

   private:
    const NeighbourList* list_ = nullptr;
    std::size_t at_ = 0;
  };

  NeighbourList(const std::uint32_t* refs, std::size_t size, const Node* nodes,
                const std::string_view* unknown)
      : refs_(refs), size_(size), nodes_(nodes), unknown_(unknown) {}

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Neighbour operator[](std::size_t i) const;
  iterator begin() const { return iterator(this, 0); }
  iterator end() const { return iterator(this, size_); }

 private:
  const std::uint32_t* refs_;
  std::size_t size_;
  const Node* nodes_;
  const std::string_view* unknown_;
};

/// The parsed description: its nodes in the order in which their keys stand in the file (a key
/// written twice keeps its first place and its last record), a name index, and every neighbors
/// list in one array of node numbers. The nodes' texts are views of the file's text, which the
/// description keeps (or, for a file with escapes, of the decoded names it keeps beside it).
class Description {
 public:
  /// What the reader hands over: the nodes, their neighbours' names in one array (each node's
  /// list a stretch of it), and where the texts live.
  struct Parts {
    std::vector<Node> nodes;
    NameIndex index;  ///< node number by name, built as the reader finds keys written twice
    /// A neighbour's name as read: `size` bytes of the text from `at`, or for a name written
    /// with escapes (`size` is kDecoded) entry `at` of decoded_names. Half the size of a view:
    /// a large description has several neighbours per node.
    struct NameRef {
      static constexpr std::uint32_t kDecoded = 0xFFFFFFFFu;
      std::uint32_t at = 0;
      std::uint32_t size = 0;
    };
    std::vector<NameRef> neighbour_names;
    std::vector<std::string_view> decoded_names;
    /// For a description read piece by piece (no text): the neighbours' names one after the
    /// other, what NameRef's offsets count in; the nodes' names, in blocks; and the file.
    std::string neighbour_text;
    std::unique_ptr<NameStore> names;
    DescriptionText file;
    std::vector<RepeatedMember> repeated_members;
    std::unique_ptr<const std::string> text;
    std::unique_ptr<std::deque<std::string>> decoded;  ///< names read with escapes, if any
  };

  Description() = default;
  Description(std::string path, Parts parts);
  Description(Description&&) = default;
  Description& operator=(Description&&) = default;

  const std::string& path() const { return path_; }
  const std::vector<Node>& nodes() const { return nodes_; }
  /// The node of that name, found by a walk over the nodes: the generator itself resolves
  /// names once, while reading, and keeps node numbers.
  const Node* find(std::string_view name) const;
  /// The node's place in nodes().
  std::uint32_t number(const Node& node) const {
    return static_cast<std::uint32_t>(&node - nodes_.data());
  }
  NeighbourList neighbours(const Node& node) const;
  /// The members given twice in the node's record, in the order of the file.
  std::vector<RepeatedMember> repeated_members(const Node& node) const;

  /// Copies the names out of the text and lets go of it (see DescriptionText): from here on
  /// the file is read again to place a message. Done once the description is read from a file.
  void release_text(const std::string& path);

  /// 1-based line and column of a node's key.
  std::pair<int, int> line_column(const Node& node) const;

  /// 1-based line and column of a byte offset of the file; {0, 0} when the file has changed
  /// since it was read and its text was let go.
  std::pair<int, int> line_column(std::uint32_t offset) const;

  /// A diagnostic located at the node's key.
  Diagnostic diagnostic(const Node& node, Rule rule, std::string message,
                        std::string other = {}) const;

  /// A diagnostic located at `neighbour`'s entry in the node's neighbors list, or at the node's
  /// key when the entry cannot be found in the text (a name written with escapes).
  Diagnostic neighbour_diagnostic(const Node& node, std::string_view neighbour, Rule rule,
                                  std::string message) const;

  /// Throws the generator's error for `node`, located at its key: `node "R_3": <message>`.
  [[noreturn]] void fail(const Node& node, const std::string& message) const;
  /// The same without the prefix, for messages that name the node themselves.
  [[noreturn]] void fail_at(const Node& node, const std::string& message) const;

 private:
  std::string path_;
  std::vector<Node> nodes_;
  /// Per neighbors entry: the node's number, or kUnknown plus the entry's place in unknown_.
  std::vector<std::uint32_t> neighbour_refs_;
  std::vector<std::string_view> unknown_;  ///< names of neighbours that are no node
  std::vector<RepeatedMember> repeated_members_;
  /// Starts of lines already counted to, by offset: where the next count begins.
  struct KnownLine {
    std::uint32_t offset;
    int line;
  };
  mutable std::vector<KnownLine> known_lines_;
  DescriptionText text_;  ///< for placing messages; columns count characters
  // Held behind pointers so that the views into them survive a move of the description.
  std::unique_ptr<std::deque<std::string>> decoded_;
  std::unique_ptr<NameStore> names_;  ///< the names, once copied out of the text
};

/// A problem of a source that `node` names: located in the source when the error has a line, at
/// the node otherwise (a source that is missing or unreadable), naming the file.
Diagnostic source_problem(const Description& description, const Node& node, const Error& error);

/// A diagnostic located at a construct of a source (a module, a port), naming the node whose
/// instances meet it.
Diagnostic at_source(const rtl::SourcePlace& place, Rule rule, const Node& node,
                     std::string message);

}  // namespace noc::model
