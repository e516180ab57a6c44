#include "verify/top_instances.h"

#include <map>

#include "common/error.h"
#include "rtl/lexer.h"

namespace noc::verify {
namespace {

using rtl::Token;
using rtl::TokenKind;

bool is_name(const Token& token) {
  return token.kind == TokenKind::kIdentifier || token.kind == TokenKind::kEscapedIdentifier;
}

class InstanceReader {
 public:
  InstanceReader(const std::vector<Token>& tokens, const std::set<std::string>& modules)
      : tokens_(tokens), modules_(modules) {}

  std::vector<TopInstance> read() {
    std::vector<TopInstance> out;
    while (at_ < tokens_.size() && !tokens_[at_].is("module")) ++at_;
    while (at_ < tokens_.size() && !tokens_[at_].is("endmodule")) {
      std::size_t start = at_++;
      const Token& first = tokens_[start];
      bool after_name = start > 0 && (tokens_[start - 1].is(".") || tokens_[start - 1].is("::"));
      if (!is_name(first) || after_name || !modules_.count(std::string(first.text))) continue;
      if (std::optional<TopInstance> instance = instance_at(start)) out.push_back(*instance);
    }
    return out;
  }

 private:
  const Token& peek(std::size_t ahead = 0) const {
    std::size_t i = std::min(at_ + ahead, tokens_.size() - 1);
    return tokens_[i];
  }

  // Moves past the parenthesis at `at_` and everything up to its partner.
  bool skip_balanced() {
    int depth = 0;
    for (; at_ < tokens_.size(); ++at_) {
      if (tokens_[at_].kind == TokenKind::kEndOfFile) return false;
      if (tokens_[at_].is("(") || tokens_[at_].is("[") || tokens_[at_].is("{")) ++depth;
      if (tokens_[at_].is(")") || tokens_[at_].is("]") || tokens_[at_].is("}")) --depth;
      if (depth == 0) {
        ++at_;
        return true;
      }
    }
    return false;
  }

  std::optional<TopInstance> instance_at(std::size_t start) {
    TopInstance instance;
    instance.module = std::string(tokens_[start].text);
    if (peek().is("#")) {
      ++at_;
      std::size_t open = at_;
      if (!peek().is("(") || !skip_balanced()) return std::nullopt;
      instance.parameters = parameters_of(open + 1, at_ - 1);
    }
    if (!is_name(peek()) || !peek(1).is("(")) return std::nullopt;
    instance.name = std::string(peek().text);
    at_ += 2;
    while (peek().is(".")) {
      std::optional<PortConnection> connection = connection_here();
      if (!connection) return std::nullopt;
      instance.connections.push_back(std::move(*connection));
      if (peek().is(",")) ++at_;
    }
    if (!peek().is(")")) return std::nullopt;
    ++at_;
    return instance;
  }

  // `.port (expression)` or `.port` alone, which connects the wire of the same name.
  std::optional<PortConnection> connection_here() {
    ++at_;
    if (!is_name(peek())) return std::nullopt;
    PortConnection connection{std::string(peek().text), {}};
    ++at_;
    if (!peek().is("(")) {
      connection.refs.push_back(WireRef{connection.port, std::nullopt});
      return connection;
    }
    std::size_t open = at_;
    if (!skip_balanced()) return std::nullopt;
    connection.refs = refs_of(open + 1, at_ - 1);
    return connection;
  }

  // The named overrides between `begin` and `end`: `.NAME (value), ...`.
  std::vector<ParameterValue> parameters_of(std::size_t begin, std::size_t end) const {
    std::vector<ParameterValue> out;
    for (std::size_t i = begin; i + 2 < end; ++i) {
      if (!tokens_[i].is(".") || !is_name(tokens_[i + 1]) || !tokens_[i + 2].is("(")) continue;
      ParameterValue parameter{std::string(tokens_[i + 1].text), {}};
      int depth = 0;
      std::size_t j = i + 2;
      for (; j < end; ++j) {
        if (tokens_[j].is("(") || tokens_[j].is("[") || tokens_[j].is("{")) ++depth;
        if (tokens_[j].is(")") || tokens_[j].is("]") || tokens_[j].is("}")) --depth;
        if (depth == 0) break;
        if (j > i + 2) parameter.value += tokens_[j].text;
      }
      out.push_back(std::move(parameter));
      i = j;
    }
    return out;
  }

  // A wire, an element with a constant select, or a concatenation of those; else nothing.
  std::vector<WireRef> refs_of(std::size_t begin, std::size_t end) const {
    if (begin < end && tokens_[begin].is("{") && tokens_[end - 1].is("}")) {
      std::vector<WireRef> refs;
      std::size_t item = begin + 1;
      for (std::size_t i = begin + 1; i < end; ++i) {
        if (!tokens_[i].is(",") && i + 1 != end) continue;
        std::optional<WireRef> ref = ref_of(item, i);
        if (!ref) return {};
        refs.push_back(*ref);
        item = i + 1;
      }
      return refs;
    }
    std::optional<WireRef> ref = ref_of(begin, end);
    return ref ? std::vector<WireRef>{*ref} : std::vector<WireRef>{};
  }

  std::optional<WireRef> ref_of(std::size_t begin, std::size_t end) const {
    std::size_t count = end - begin;
    if (count == 0 || !is_name(tokens_[begin])) return std::nullopt;
    WireRef ref{std::string(tokens_[begin].text), std::nullopt};
    if (count == 1) return ref;
    const Token& index = tokens_[begin + 2];
    bool constant = index.kind == TokenKind::kNumber || is_name(index);
    if (count != 4 || !tokens_[begin + 1].is("[") || !constant || !tokens_[begin + 3].is("]"))
      return std::nullopt;
    ref.index = std::string(index.text);
    return ref;
  }

  const std::vector<Token>& tokens_;
  const std::set<std::string>& modules_;
  std::size_t at_ = 0;
};

}  // namespace

std::vector<TopInstance> read_top_instances(std::string_view text,
                                            const std::set<std::string>& modules) {
  rtl::SourceManager sources;
  std::vector<Token> tokens;
  try {
    tokens = rtl::lex(sources, sources.add("noc_top", std::string(text)));
  } catch (const Error&) {
    return {};
  }
  return InstanceReader(tokens, modules).read();
}

std::vector<SharedWire> shared_wires(
    const std::vector<TopInstance>& instances,
    const std::function<bool(const std::string& module, const std::string& port)>& is_output) {
  struct Use {
    std::optional<std::string> index;
    WireDriver driver;
  };
  std::map<std::string, std::vector<Use>> uses;
  for (const TopInstance& instance : instances)
    for (const PortConnection& connection : instance.connections) {
      if (!is_output(instance.module, connection.port)) continue;
      for (const WireRef& ref : connection.refs)
        uses[ref.wire].push_back(Use{ref.index, WireDriver{instance.name, connection.port}});
    }
  std::vector<SharedWire> shared;
  for (const auto& [wire, all] : uses) {
    bool whole = std::any_of(all.begin(), all.end(), [](const Use& u) { return !u.index; });
    // A whole wire meets every element of it; elements meet when their selects read the same.
    std::map<std::string, std::vector<WireDriver>> by_element;
    for (const Use& use : all)
      by_element[whole ? wire : wire + "[" + *use.index + "]"].push_back(use.driver);
    for (auto& [element, drivers] : by_element)
      if (drivers.size() > 1) shared.push_back(SharedWire{element, std::move(drivers)});
  }
  return shared;
}

}  // namespace noc::verify
