#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "rtl/lexer.h"

namespace noc::rtl {

struct PreprocessOptions;

/// Reads a token list from front to back; the list ends with a kEndOfFile token.
class TokenCursor {
 public:
  explicit TokenCursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

  const Token& cur() const { return tokens_[pos_]; }
  bool at_end() const { return cur().kind == TokenKind::kEndOfFile; }
  void advance() {
    if (!at_end()) ++pos_;
  }
  const Token& take() {
    const Token& token = cur();
    advance();
    return token;
  }
  /// True while the current token is on the line of the directive before it.
  bool on_line() const { return !at_end() && !cur().starts_line; }
  void skip_line() {
    while (on_line()) ++pos_;
  }

 private:
  const std::vector<Token>& tokens_;
  std::size_t pos_ = 0;
};

struct MacroParameter {
  std::string_view name;
  std::optional<std::vector<Token>> default_value;
};

struct Macro {
  bool function_like = false;
  std::vector<MacroParameter> params;
  std::vector<Token> body;
};

/// The macro name after `define, `undef, `ifdef and the like; an error at `directive` when the
/// line holds none.
const Token& expect_macro_name(const SourceManager& sources, TokenCursor& cursor,
                               const Token& directive);

/// Reads the rest of a `define line: the name, the parameters with their defaults and the body.
std::pair<std::string_view, Macro> read_definition(const SourceManager& sources,
                                                   TokenCursor& cursor, const Token& directive);

/// Turns one usage of a macro into tokens: reads the arguments that follow the usage, puts them
/// in for the parameters, pastes around `` and makes strings of `"...`". The tokens of the body
/// take the usage's location, so that an error inside an expansion points at the usage. Counts
/// every token made, over all usages, against the options' bound.
class MacroExpander {
 public:
  MacroExpander(SourceManager& sources, const PreprocessOptions& options)
      : sources_(sources), options_(options) {}

  /// The expansion, ending with a kEndOfFile token.
  std::vector<Token> expand(const Macro& macro, TokenCursor& cursor, const Token& usage);

 private:
  std::vector<std::vector<Token>> read_arguments(const Macro& macro, TokenCursor& cursor,
                                                 const Token& usage);
  void append(std::vector<Token>& out, Token token, bool& paste, const Token& usage);
  Token stringify(const std::vector<Token>& body, std::size_t& at, const Macro& macro,
                  const std::vector<std::vector<Token>>& args, const Token& usage);

  SourceManager& sources_;
  const PreprocessOptions& options_;
  std::size_t made_ = 0;
  bool in_comment_ = false;  ///< inside a /* ... */ formed by pasting
  std::string_view last_dropped_;
};

}  // namespace noc::rtl
