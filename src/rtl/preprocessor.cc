#include "rtl/preprocessor.h"

#include <algorithm>
#include <cerrno>

#include "common/error.h"
#include "common/text.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "rtl/macro.h"

namespace noc::rtl {
namespace {

struct Conditional {
  bool active;  ///< tokens of the current branch are kept
  bool taken;   ///< some branch of this block has been active already
  bool else_seen;
  bool parent_active;
  SourceLocation location;
};

// Directives that take the rest of their line and mean nothing for a port list.
constexpr std::string_view kLineDirectives[] = {
    "`timescale",
    "`default_nettype",
    "`line",
    "`pragma",
    "`begin_keywords",
    "`unconnected_drive",
    "`delay_mode_distributed",
    "`delay_mode_path",
    "`delay_mode_unit",
    "`delay_mode_zero",
};
// Directives without arguments.
constexpr std::string_view kBareDirectives[] = {
    "`resetall", "`celldefine", "`endcelldefine", "`end_keywords", "`nounconnected_drive",
};

class Preprocessor {
 public:
  Preprocessor(SourceManager& sources, const PreprocessOptions& options)
      : sources_(sources), options_(options), expander_(sources, options) {}

  PreprocessedSource run(std::uint32_t buffer) {
    main_buffer_ = buffer;
    define_from_command_line();
    for (const auto& [name, value] : options_.assumed) assumed_[sources_.keep(name)] = value;
    in_unit_files_ = true;
    for (const std::string& path : options_.unit_files) {
      std::uint32_t id = sources_.add(path, read_unit_file(path));
      out_.headers_read.push_back(path);
      run_buffer(id);
    }
    in_unit_files_ = false;
    out_.unit_tokens = std::move(out_.tokens);
    out_.tokens.clear();
    run_buffer(buffer);
    out_.tokens.push_back(Token{TokenKind::kEndOfFile, true, false, {}, end_of(buffer)});
    return std::move(out_);
  }

 private:
  // A file list's entry that is missing is the list's fault, located at the entry.
  std::string read_unit_file(const std::string& path) {
    try {
      return read_source_file(path);
    } catch (const Error& error) {
      for (const ListedFile& listed : options_.absent_unit_files)
        if (listed.path == path)
          throw Error("the file list names " + in_quotes(path) + ", which " +
                          (error.errno_value() == ENOENT ? "does not exist" : error.message()),
                      listed.list, listed.line, listed.column, error.errno_value());
      throw;
    }
  }

  SourceLocation end_of(std::uint32_t buffer) const {
    return {buffer, static_cast<std::uint32_t>(sources_.buffer(buffer).text().size())};
  }

  void define_from_command_line() {
    for (const auto& [name, value] : options_.defines) {
      std::uint32_t id = sources_.add("<command line -D" + name + ">", value);
      Macro macro;
      macro.body = lex(sources_, id);
      macro.body.pop_back();
      macros_[sources_.keep(name)] = std::move(macro);
    }
    for (const std::string& name : options_.undefines) {
      macros_.erase(name);
      undefined_.insert(sources_.keep(name));
    }
  }

  void run_buffer(std::uint32_t buffer) {
    std::vector<Token> tokens = lex(sources_, buffer);
    if (has_include_guard(tokens)) guard_tests_.insert(key(tokens[0].location));
    out_.tokens.reserve(out_.tokens.size() + tokens.size());
    std::size_t open_blocks = stack_.size();
    TokenCursor cursor{tokens};
    process(cursor, 0);
    if (stack_.size() > open_blocks)
      sources_.fail(stack_.back().location, "`ifdef block has no `endif in the same file");
  }

  bool active() const { return stack_.empty() || stack_.back().active; }

  void process(TokenCursor& cursor, std::size_t depth) {
    while (!cursor.at_end()) {
      const Token& token = cursor.cur();
      if (token.kind == TokenKind::kDirective) {
        directive(cursor, depth);
      } else {
        if (active()) out_.tokens.push_back(token);
        cursor.advance();
      }
    }
  }

  void directive(TokenCursor& cursor, std::size_t depth) {
    const Token token = cursor.take();
    std::string_view name = token.text;
    if (name == "`ifdef" || name == "`ifndef") {
      open_conditional(cursor, token);
    } else if (name == "`elsif") {
      Conditional& block = open_block(token);
      if (block.else_seen) sources_.fail(token.location, "`elsif after `else");
      if (block.parent_active && !block.taken) {
        bool defined = test_macro(cursor, token);
        block.active = defined;
        block.taken = defined;
      } else {
        block.active = false;
        skip_operand(cursor);
      }
    } else if (name == "`else") {
      Conditional& block = open_block(token);
      if (block.else_seen) sources_.fail(token.location, "second `else in one `ifdef block");
      block.else_seen = true;
      block.active = block.parent_active && !block.taken;
      block.taken = true;
    } else if (name == "`endif") {
      open_block(token);
      stack_.pop_back();
    } else if (!active()) {
      // Inside a branch that is not taken only the nesting of conditionals counts.
    } else {
      active_directive(cursor, token, depth);
    }
  }

  void active_directive(TokenCursor& cursor, const Token& token, std::size_t depth) {
    std::string_view name = token.text;
    if (name == "`define") {
      auto [macro_name, macro] = read_definition(sources_, cursor, token);
      undefined_.erase(macro_name);
      macros_[macro_name] = std::move(macro);
    } else if (name == "`undef") {
      std::string_view macro_name = expect_macro_name(sources_, cursor, token).text;
      macros_.erase(macro_name);
      undefined_.insert(macro_name);
    } else if (name == "`undefineall") {
      macros_.clear();
    } else if (name == "`include") {
      include(cursor, token);
    } else if (name == "`__FILE__") {
      out_.tokens.push_back(made_token(TokenKind::kString,
                                       "\"" + sources_.buffer(token.location.buffer).path() + "\"",
                                       token.location));
    } else if (name == "`__LINE__") {
      int line = sources_.buffer(token.location.buffer).line_column(token.location.offset).line;
      out_.tokens.push_back(made_token(TokenKind::kNumber, std::to_string(line), token.location));
    } else if (one_of(name, kLineDirectives)) {
      cursor.skip_line();
    } else if (one_of(name, kBareDirectives)) {
    } else {
      use_macro(cursor, token, depth);
    }
  }

  Token made_token(TokenKind kind, std::string text, SourceLocation location) {
    return Token{kind, false, true, sources_.keep(std::move(text)), location};
  }

  void open_conditional(TokenCursor& cursor, const Token& token) {
    bool parent = active();
    if (!parent) {
      skip_operand(cursor);  // `ifdef 0 in a skipped branch is no error to a compiler either
      stack_.push_back({false, true, false, false, token.location});
      return;
    }
    bool defined = test_macro(cursor, token);
    bool value = token.text == "`ifdef" ? defined : !defined;
    stack_.push_back({value, value, false, true, token.location});
  }

  // The operand of a conditional whose value does not matter, whatever it holds.
  static void skip_operand(TokenCursor& cursor) {
    if (cursor.on_line() && cursor.cur().kind != TokenKind::kDirective) cursor.advance();
  }

  // Reads the macro name of `ifdef, `ifndef or `elsif and tells whether it is defined. When it is
  // not, and an include that could not be read might have defined it, the branch taken is only a
  // guess: a marker in the stream lets the parser refuse it where it would change a port.
  bool test_macro(TokenCursor& cursor, const Token& token) {
    std::string_view name = expect_macro_name(sources_, cursor, token).text;
    bool defined = macros_.count(name) != 0;
    if (defined || undefined_.count(name) || out_.missing_includes.empty() ||
        guard_tests_.count(key(token.location)))
      return defined;
    note_uncertain(name, token.location);
    auto assumed = assumed_.find(name);
    if (assumed != assumed_.end()) return assumed->second;
    if (options_.mark_uncertain)
      out_.tokens.push_back(Token{TokenKind::kUncertain, false, true, name, token.location});
    return false;
  }

  void note_uncertain(std::string_view name, SourceLocation location) {
    for (const UncertainTest& seen : out_.uncertain)
      if (seen.macro == name) return;
    out_.uncertain.push_back(
        {std::string(name), location, in_unit_files_ ? 0 : out_.tokens.size()});
  }

  static std::uint64_t key(SourceLocation location) {
    return std::uint64_t{location.buffer} << 32 | location.offset;
  }

  // "`ifndef X `define X ... `endif" around a whole file. A missing header could define X only
  // by including this very file, whose definitions would then be in effect already: either way
  // its text is what counts, so the guard is no guess.
  static bool has_include_guard(const std::vector<Token>& tokens) {
    if (tokens.size() < 5 || tokens[0].text != "`ifndef" || tokens[2].text != "`define" ||
        tokens[1].text != tokens[3].text)
      return false;
    int depth = 0;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
      if (tokens[i].kind != TokenKind::kDirective) continue;
      std::string_view name = tokens[i].text;
      if (name == "`ifdef" || name == "`ifndef") ++depth;
      if (depth == 1 && (name == "`else" || name == "`elsif")) return false;
      if (name == "`endif" && --depth == 0) return tokens[i + 1].kind == TokenKind::kEndOfFile;
    }
    return false;
  }

  Conditional& open_block(const Token& token) {
    if (stack_.empty())
      sources_.fail(token.location, std::string(token.text) + " without a matching `ifdef");
    return stack_.back();
  }

  void include(TokenCursor& cursor, const Token& token) {
    std::string name = include_name(cursor, token);
    if (token.location.buffer == main_buffer_) out_.includes.push_back(name);
    std::optional<std::string> path;
    try {
      if (options_.find_include)
        path = options_.find_include(name, sources_.buffer(token.location.buffer).path());
    } catch (const Error& error) {
      sources_.fail(token.location, error.message());
    }
    if (!path) {
      // Messages name each header that was not found once, however often it is included.
      if (std::find(out_.missing_includes.begin(), out_.missing_includes.end(), name) ==
          out_.missing_includes.end())
        out_.missing_includes.push_back(name);
      return;
    }
    if (include_depth_ >= options_.max_include_depth)
      sources_.fail(token.location, "includes nest deeper than " +
                                        std::to_string(options_.max_include_depth) +
                                        " levels; does a header include itself?");
    std::uint32_t id = sources_.add(*path, read_source_file(*path));
    out_.headers_read.push_back(*path);
    ++include_depth_;
    run_buffer(id);
    --include_depth_;
  }

  std::string include_name(TokenCursor& cursor, const Token& token) {
    if (cursor.on_line() && cursor.cur().kind == TokenKind::kString) {
      std::string_view text = cursor.take().text;
      return std::string(text.substr(1, text.size() - 2));
    }
    if (cursor.on_line() && cursor.cur().is("<")) {
      std::string name;
      for (cursor.advance(); cursor.on_line() && !cursor.cur().is(">"); cursor.advance())
        name += cursor.cur().text;
      if (!cursor.on_line()) sources_.fail(token.location, "`include <...> has no closing '>'");
      cursor.advance();
      return name;
    }
    if (cursor.on_line() && cursor.cur().kind == TokenKind::kDirective) {
      // `include `HEADER, with HEADER defined as a file name in double quotes.
      const Token& usage = cursor.take();
      auto it = macros_.find(usage.text.substr(1));
      if (it != macros_.end() && it->second.body.size() == 1 &&
          it->second.body[0].kind == TokenKind::kString) {
        std::string_view text = it->second.body[0].text;
        return std::string(text.substr(1, text.size() - 2));
      }
      return std::string(usage.text);
    }
    sources_.fail(token.location, "`include needs a file name in double quotes");
  }

  void use_macro(TokenCursor& cursor, const Token& usage, std::size_t depth) {
    auto it = macros_.find(usage.text.substr(1));
    if (it == macros_.end()) {
      out_.tokens.push_back(usage);  // not defined here; the parser decides whether it matters
      return;
    }
    if (depth + 1 > options_.max_expansion_depth)
      sources_.fail(usage.location, "macro " + std::string(usage.text) + " expands more than " +
                                        std::to_string(options_.max_expansion_depth) +
                                        " levels deep; does it use itself?");
    std::vector<Token> expansion = expander_.expand(it->second, cursor, usage);
    TokenCursor inner{expansion};
    process(inner, depth + 1);
  }

  SourceManager& sources_;
  const PreprocessOptions& options_;
  MacroExpander expander_;
  std::uint32_t main_buffer_ = 0;
  std::size_t include_depth_ = 0;
  bool in_unit_files_ = false;
  std::unordered_map<std::string_view, Macro> macros_;
  std::unordered_set<std::string_view> undefined_;  ///< undefined on purpose: no guess needed
  std::unordered_map<std::string_view, bool> assumed_;
  std::unordered_set<std::uint64_t> guard_tests_;  ///< the `ifndef of each include guard
  std::vector<Conditional> stack_;
  PreprocessedSource out_;
};

}  // namespace

PreprocessedSource preprocess(SourceManager& sources, std::uint32_t buffer,
                              const PreprocessOptions& options) {
  return Preprocessor(sources, options).run(buffer);
}

}  // namespace noc::rtl
