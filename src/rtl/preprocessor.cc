#include "rtl/preprocessor.h"

#include <string_view>
#include <unordered_map>

namespace noc::rtl {
namespace {

struct Macro {
  bool function_like = false;
  std::vector<std::string_view> params;
  std::vector<Token> body;
};

struct Conditional {
  bool active;  ///< tokens of the current branch are kept
  bool taken;   ///< some branch of this block has been active already
  bool else_seen;
  bool parent_active;
  SourceLocation location;
};

// Directives that take the rest of their line and mean nothing for a port list.
constexpr std::string_view kLineDirectives[] = {
    "`timescale", "`default_nettype", "`line", "`pragma", "`begin_keywords", "`unconnected_drive",
};
// Directives without arguments.
constexpr std::string_view kBareDirectives[] = {
    "`resetall", "`celldefine", "`endcelldefine", "`end_keywords", "`nounconnected_drive",
    "`__FILE__", "`__LINE__",
};

template <std::size_t N>
bool one_of(std::string_view text, const std::string_view (&list)[N]) {
  for (std::string_view item : list)
    if (item == text) return true;
  return false;
}

class Preprocessor {
 public:
  Preprocessor(const SourceText& source, const std::vector<Token>& tokens)
      : source_(source), in_(tokens) {}

  PreprocessedSource run() {
    while (in_[pos_].kind != TokenKind::kEndOfFile) {
      const Token& token = in_[pos_];
      if (token.kind == TokenKind::kDirective) {
        directive();
      } else {
        if (active()) out_.tokens.push_back(token);
        ++pos_;
      }
    }
    if (!stack_.empty()) source_.fail(stack_.back().location, "`ifdef block has no `endif");
    out_.tokens.push_back(in_[pos_]);
    return std::move(out_);
  }

 private:
  static constexpr int kMaxExpansionDepth = 64;

  bool active() const { return stack_.empty() || stack_.back().active; }

  // True while the token at `pos_` is on the same line as the directive that started it.
  bool on_line() const { return in_[pos_].kind != TokenKind::kEndOfFile && !in_[pos_].starts_line; }

  const Token& expect_name(const Token& directive) {
    if (!on_line() || in_[pos_].kind != TokenKind::kIdentifier)
      source_.fail(directive.location, std::string(directive.text) + " needs a macro name");
    return in_[pos_++];
  }

  void skip_line() {
    while (on_line()) ++pos_;
  }

  void directive() {
    const Token& token = in_[pos_++];
    std::string_view name = token.text;
    if (name == "`ifdef" || name == "`ifndef") {
      bool defined = macros_.count(expect_name(token).text) != 0;
      bool parent = active();
      bool value = name == "`ifdef" ? defined : !defined;
      stack_.push_back({parent && value, value, false, parent, token.location});
    } else if (name == "`elsif") {
      Conditional& block = open_block(token);
      bool defined = macros_.count(expect_name(token).text) != 0;
      if (block.else_seen) source_.fail(token.location, "`elsif after `else");
      block.active = block.parent_active && !block.taken && defined;
      block.taken |= defined;
    } else if (name == "`else") {
      Conditional& block = open_block(token);
      if (block.else_seen) source_.fail(token.location, "second `else in one `ifdef block");
      block.else_seen = true;
      block.active = block.parent_active && !block.taken;
      block.taken = true;
    } else if (name == "`endif") {
      open_block(token);
      stack_.pop_back();
    } else if (!active()) {
      // Inside a false branch only the conditional directives above count.
    } else if (name == "`define") {
      define(token);
    } else if (name == "`undef") {
      macros_.erase(expect_name(token).text);
    } else if (name == "`undefineall") {
      macros_.clear();
    } else if (name == "`include") {
      include(token);
    } else if (one_of(name, kLineDirectives)) {
      skip_line();
    } else if (one_of(name, kBareDirectives)) {
    } else {
      use_macro(token);
    }
  }

  Conditional& open_block(const Token& token) {
    if (stack_.empty())
      source_.fail(token.location, std::string(token.text) + " without a matching `ifdef");
    return stack_.back();
  }

  void define(const Token& token) {
    std::string_view name = expect_name(token).text;
    Macro macro;
    // A parameter list only when "(" touches the name: `define F(x) is function-like, while
    // `define F (x) is an object-like macro whose text is "(x)".
    if (on_line() && in_[pos_].is("(") &&
        in_[pos_].location.offset == in_[pos_ - 1].location.offset + name.size()) {
      macro.function_like = true;
      ++pos_;
      while (on_line() && !in_[pos_].is(")")) {
        if (in_[pos_].kind == TokenKind::kIdentifier) macro.params.push_back(in_[pos_].text);
        ++pos_;
      }
      if (!on_line()) source_.fail(token.location, "macro parameter list has no ')'");
      ++pos_;
    }
    while (on_line()) macro.body.push_back(in_[pos_++]);
    macros_[name] = std::move(macro);
  }

  void include(const Token& token) {
    if (on_line() && in_[pos_].kind == TokenKind::kString) {
      std::string_view text = in_[pos_++].text;
      out_.includes.emplace_back(text.substr(1, text.size() - 2));
    } else if (on_line() && in_[pos_].is("<")) {
      std::string name;
      for (++pos_; on_line() && !in_[pos_].is(">"); ++pos_) name += in_[pos_].text;
      if (!on_line()) source_.fail(token.location, "`include <...> has no closing '>'");
      ++pos_;
      out_.includes.push_back(std::move(name));
    } else if (on_line() && in_[pos_].kind == TokenKind::kDirective) {
      out_.includes.emplace_back(in_[pos_++].text);  // `include `HEADER: the macro is the entry
    } else {
      source_.fail(token.location, "`include needs a file name in double quotes");
    }
  }

  void use_macro(const Token& token) {
    auto it = macros_.find(token.text.substr(1));
    if (it == macros_.end()) {
      out_.tokens.push_back(token);  // defined elsewhere; keep it as text
      return;
    }
    std::vector<std::vector<Token>> args;
    if (it->second.function_like) args = read_arguments(token);
    expand(it->second, args, token, 0);
  }

  std::vector<std::vector<Token>> read_arguments(const Token& token) {
    std::vector<std::vector<Token>> args;
    if (!in_[pos_].is("("))
      source_.fail(token.location,
                   "macro " + std::string(token.text) + " needs arguments in parentheses");
    ++pos_;
    args.emplace_back();
    int depth = 0;
    for (;; ++pos_) {
      const Token& t = in_[pos_];
      if (t.kind == TokenKind::kEndOfFile)
        source_.fail(token.location, "macro arguments have no closing ')'");
      if (depth == 0 && t.is(")")) break;
      if (depth == 0 && t.is(",")) {
        args.emplace_back();
        continue;
      }
      if (t.is("(") || t.is("[") || t.is("{")) ++depth;
      if (t.is(")") || t.is("]") || t.is("}")) --depth;
      args.back().push_back(t);
    }
    ++pos_;
    return args;
  }

  void expand(const Macro& macro, const std::vector<std::vector<Token>>& args, const Token& use,
              int depth) {
    if (depth > kMaxExpansionDepth)
      source_.fail(use.location, "macro " + std::string(use.text) + " expands without end");
    for (const Token& t : macro.body) {
      if (t.kind == TokenKind::kIdentifier) {
        std::size_t p = 0;
        while (p < macro.params.size() && macro.params[p] != t.text) ++p;
        if (p < macro.params.size()) {
          if (p < args.size()) emit_tokens(args[p], use, depth);
          continue;
        }
      }
      emit_tokens({t}, use, depth);
    }
  }

  // Copies tokens of a macro body or argument, expanding the object-like macros among them.
  void emit_tokens(const std::vector<Token>& tokens, const Token& use, int depth) {
    for (const Token& t : tokens) {
      if (t.kind == TokenKind::kDirective) {
        auto inner = macros_.find(t.text.substr(1));
        if (inner != macros_.end() && !inner->second.function_like) {
          expand(inner->second, {}, use, depth + 1);
          continue;
        }
      }
      Token copy = t;
      copy.starts_line = false;
      out_.tokens.push_back(copy);
    }
  }

  const SourceText& source_;
  const std::vector<Token>& in_;
  std::size_t pos_ = 0;
  std::unordered_map<std::string_view, Macro> macros_;
  std::vector<Conditional> stack_;
  PreprocessedSource out_;
};

}  // namespace

PreprocessedSource preprocess(const SourceText& source, const std::vector<Token>& tokens) {
  return Preprocessor(source, tokens).run();
}

}  // namespace noc::rtl
