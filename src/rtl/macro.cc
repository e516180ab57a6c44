#include "rtl/macro.h"

#include <string>

#include "rtl/preprocessor.h"

namespace noc::rtl {
namespace {

bool opens(const Token& t) {
  return t.is("(") || t.is("[") || t.is("{") || t.is("'{");
}
bool closes(const Token& t) {
  return t.is(")") || t.is("]") || t.is("}");
}

std::optional<std::size_t> parameter_index(const Macro& macro, const Token& token) {
  if (token.kind != TokenKind::kIdentifier) return std::nullopt;
  for (std::size_t i = 0; i < macro.params.size(); ++i)
    if (macro.params[i].name == token.text) return i;
  return std::nullopt;
}

}  // namespace

const Token& expect_macro_name(const SourceManager& sources, TokenCursor& cursor,
                               const Token& directive) {
  if (!cursor.on_line() || (cursor.cur().kind != TokenKind::kIdentifier &&
                            cursor.cur().kind != TokenKind::kEscapedIdentifier))
    sources.fail(directive.location, std::string(directive.text) + " needs a macro name");
  return cursor.take();
}

std::pair<std::string_view, Macro> read_definition(const SourceManager& sources,
                                                   TokenCursor& cursor, const Token& directive) {
  const Token& name = expect_macro_name(sources, cursor, directive);
  Macro macro;
  // A parameter list only when "(" touches the name: `define F(x) is function-like, while
  // `define F (x) is an object-like macro whose text is "(x)".
  if (cursor.on_line() && cursor.cur().is("(") && !cursor.cur().space_before) {
    macro.function_like = true;
    cursor.advance();
    while (cursor.on_line() && !cursor.cur().is(")")) {
      if (cursor.cur().kind != TokenKind::kIdentifier)
        sources.fail(cursor.cur().location, "expected a macro parameter name, found '" +
                                                std::string(cursor.cur().text) + "'");
      MacroParameter param{cursor.take().text, std::nullopt};
      if (cursor.on_line() && cursor.cur().is("=")) {
        cursor.advance();
        param.default_value.emplace();
        int depth = 0;
        while (cursor.on_line() &&
               !(depth == 0 && (cursor.cur().is(",") || cursor.cur().is(")")))) {
          depth += opens(cursor.cur()) ? 1 : closes(cursor.cur()) ? -1 : 0;
          param.default_value->push_back(cursor.take());
        }
      }
      macro.params.push_back(std::move(param));
      if (cursor.on_line() && cursor.cur().is(",")) cursor.advance();
    }
    if (!cursor.on_line()) sources.fail(directive.location, "macro parameter list has no ')'");
    cursor.advance();
  }
  while (cursor.on_line()) macro.body.push_back(cursor.take());
  return {name.text, std::move(macro)};
}

std::vector<std::vector<Token>> MacroExpander::read_arguments(const Macro& macro,
                                                              TokenCursor& cursor,
                                                              const Token& usage) {
  std::string name(usage.text);
  if (!cursor.cur().is("("))
    sources_.fail(usage.location, "macro " + name + " takes arguments: write " + name + "(...)");
  cursor.advance();
  std::vector<std::vector<Token>> args(1);
  int depth = 0;
  for (;; cursor.advance()) {
    const Token& t = cursor.cur();
    if (cursor.at_end()) sources_.fail(usage.location, "the arguments of " + name + " have no ')'");
    if (depth == 0 && t.is(")")) break;
    if (depth == 0 && t.is(",")) {
      args.emplace_back();
      continue;
    }
    depth += opens(t) ? 1 : closes(t) ? -1 : 0;
    args.back().push_back(t);
  }
  cursor.advance();
  if (macro.params.empty() && args.size() == 1 && args[0].empty()) args.clear();
  if (args.size() > macro.params.size())
    sources_.fail(usage.location, "macro " + name + " takes " +
                                      std::to_string(macro.params.size()) + " arguments, not " +
                                      std::to_string(args.size()));
  std::size_t given = args.size();
  args.resize(macro.params.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!args[i].empty()) continue;
    if (macro.params[i].default_value) {
      args[i] = *macro.params[i].default_value;
    } else if (i >= given && macro.params.size() > 1) {
      // An argument written empty is replaced by nothing (IEEE 1800-2017 22.5.1); one left out
      // altogether needs a default.
      sources_.fail(usage.location, "macro " + name + " has no value for its argument \"" +
                                        std::string(macro.params[i].name) + "\"");
    }
  }
  return args;
}

void MacroExpander::append(std::vector<Token>& out, Token token, bool& paste, const Token& usage) {
  if (++made_ > options_.max_expanded_tokens)
    sources_.fail(usage.location, "the macros used here expand to more than " +
                                      std::to_string(options_.max_expanded_tokens) +
                                      " tokens; does a macro double itself?");
  token.starts_line = false;
  if (in_comment_) {
    // Inside a comment made by pasting: it ends where "*" and "/" are pasted together again.
    if (paste && last_dropped_ == "*" && token.text == "/") in_comment_ = false;
    last_dropped_ = token.text;
    paste = false;
    return;
  }
  if (paste && !out.empty()) {
    std::string joined = std::string(out.back().text) + std::string(token.text);
    if (joined == "/*") {
      // /``* ... *``/ in a macro body puts a comment into the expansion (a synthesis pragma, as
      // a rule), which means nothing here.
      out.pop_back();
      in_comment_ = true;
      paste = false;
      return;
    }
    // Pasting joins texts, as compilers do: "aw" ``"." ``"id" gives aw.id, three tokens.
    std::vector<Token> relexed =
        lex_fragment(sources_, sources_.keep(std::move(joined)), usage.location);
    relexed.pop_back();
    if (!relexed.empty()) relexed[0].space_before = out.back().space_before;
    out.pop_back();
    for (Token& piece : relexed) {
      piece.starts_line = false;
      out.push_back(piece);
    }
  } else {
    out.push_back(token);
  }
  paste = false;
}

Token MacroExpander::stringify(const std::vector<Token>& body, std::size_t& at, const Macro& macro,
                               const std::vector<std::vector<Token>>& args, const Token& usage) {
  std::string text = "\"";
  auto add = [&](const Token& t, bool first) {
    if (!first && t.space_before) text += ' ';
    text += t.kind == TokenKind::kMacroEscapedQuote ? std::string_view("\\\"") : t.text;
  };
  bool first = true;
  for (++at; at < body.size() && body[at].kind != TokenKind::kMacroQuote; ++at) {
    if (auto p = parameter_index(macro, body[at])) {
      for (const Token& t : args[*p]) add(t, first), first = false;
    } else if (body[at].kind != TokenKind::kMacroPaste) {
      add(body[at], first);
      first = false;
    }
  }
  if (at == body.size()) sources_.fail(usage.location, "`\" in a macro body has no closing `\"");
  return Token{TokenKind::kString, false, true, sources_.keep(text + "\""), usage.location};
}

std::vector<Token> MacroExpander::expand(const Macro& macro, TokenCursor& cursor,
                                         const Token& usage) {
  std::vector<std::vector<Token>> args;
  if (macro.function_like) args = read_arguments(macro, cursor, usage);
  std::vector<Token> out;
  bool paste = false;
  in_comment_ = false;
  for (std::size_t i = 0; i < macro.body.size(); ++i) {
    const Token& t = macro.body[i];
    if (t.kind == TokenKind::kMacroPaste) {
      paste = true;
    } else if (t.kind == TokenKind::kMacroQuote) {
      append(out, stringify(macro.body, i, macro, args, usage), paste, usage);
    } else if (auto p = parameter_index(macro, t)) {
      for (const Token& arg : args[*p]) append(out, arg, paste, usage);
    } else {
      Token copy = t;
      copy.location = usage.location;
      bool pasted = paste;
      std::size_t before = out.size();
      append(out, copy, paste, usage);
      // The lines of a multi-line body stay lines: a directive in the expansion ("`define C"
      // in a body that goes on with "`endif") ends where its line of the body ends.
      if (!pasted && out.size() > before) out[before].starts_line = t.after_continuation;
    }
  }
  out.push_back(Token{TokenKind::kEndOfFile, true, false, {}, usage.location});
  return out;
}

}  // namespace noc::rtl
