#include "model/dimension_width.h"

#include <cctype>
#include <memory>
#include <unordered_map>

namespace noc::model {
namespace {

bool identifier_start(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool identifier_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

// Recursive descent by the operator precedence of the language; every failure is "unknown".
class ConstantReader {
 public:
  ConstantReader(std::string_view text, const NameValue& value_of)
      : text_(text), value_of_(value_of) {}

  std::optional<std::int64_t> whole() {
    std::optional<std::int64_t> value = conditional();
    skip_space();
    if (at_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  using Value = std::optional<std::int64_t>;

  Value conditional() {
    Value test = binary(0);
    if (!take("?")) return test;
    Value yes = conditional();
    if (!take(":")) return std::nullopt;
    Value no = conditional();
    if (!test || !yes || !no) return std::nullopt;
    return *test ? yes : no;
  }

  // Levels from loosest to tightest binding.
  Value binary(int level) {
    static const std::vector<std::vector<std::string_view>> kLevels = {{"||"},
                                                                       {"&&"},
                                                                       {"|"},
                                                                       {"^"},
                                                                       {"&"},
                                                                       {"==", "!="},
                                                                       {"<=", ">=", "<", ">"},
                                                                       {"<<", ">>"},
                                                                       {"+", "-"},
                                                                       {"*", "/", "%"}};
    if (level == static_cast<int>(kLevels.size())) return unary();
    Value left = binary(level + 1);
    for (;;) {
      std::string_view op;
      for (std::string_view candidate : kLevels[level])
        if (peek(candidate) && !longer_operator(candidate)) {
          op = candidate;
          break;
        }
      if (op.empty()) return left;
      at_ += op.size();
      Value right = binary(level + 1);
      left = apply(op, left, right);
    }
  }

  // "|" must not take the first half of "||", "<" of "<<" or "<=", "&" of "&&".
  bool longer_operator(std::string_view op) const {
    std::size_t next = at_ + op.size();
    if (next >= text_.size()) return false;
    char c = text_[next];
    if (op == "|" || op == "&") return c == op[0];
    if (op == "<" || op == ">") return c == op[0] || c == '=';
    return false;
  }

  static Value apply(std::string_view op, Value a, Value b) {
    if (!a || !b) return std::nullopt;
    std::int64_t x = *a, y = *b;
    if (op == "+") return x + y;
    if (op == "-") return x - y;
    if (op == "*") return x * y;
    if (op == "/" || op == "%") {
      if (y == 0) return std::nullopt;
      return op == "/" ? x / y : x % y;
    }
    if (op == "<<") return y < 0 || y > 62 ? Value() : Value(x << y);
    if (op == ">>") return y < 0 || y > 62 ? Value() : Value(x >> y);
    if (op == "==") return x == y;
    if (op == "!=") return x != y;
    if (op == "<") return x < y;
    if (op == ">") return x > y;
    if (op == "<=") return x <= y;
    if (op == ">=") return x >= y;
    if (op == "&&") return x && y;
    if (op == "||") return x || y;
    if (op == "&") return x & y;
    if (op == "|") return x | y;
    return x ^ y;
  }

  Value unary() {
    skip_space();
    if (take("-")) return negate(unary());
    if (take("+")) return unary();
    if (take("!")) {
      Value v = unary();
      return v ? Value(!*v) : v;
    }
    if (take("~")) {
      Value v = unary();
      return v ? Value(~*v) : v;
    }
    return primary();
  }

  static Value negate(Value v) { return v ? Value(-*v) : v; }

  Value primary() {
    skip_space();
    if (take("(")) {
      Value inner = conditional();
      return take(")") ? inner : Value();
    }
    if (at_ < text_.size() &&
        (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '\''))
      return number();
    if (take("$clog2")) {
      if (!take("(")) return std::nullopt;
      Value v = conditional();
      if (!take(")") || !v || *v < 0) return std::nullopt;
      std::int64_t bits = 0;
      while (bits < 63 && (std::int64_t{1} << bits) < *v) ++bits;
      return bits;
    }
    if (at_ < text_.size() && identifier_start(text_[at_])) {
      std::size_t start = at_;
      while (at_ < text_.size() && identifier_char(text_[at_])) ++at_;
      std::string_view name = text_.substr(start, at_ - start);
      skip_space();
      // A member, a package item, a call or an index: not known here.
      if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == '(' || text_[at_] == '[' ||
                                 text_.substr(at_, 2) == "::"))
        return std::nullopt;
      return value_of_(name);
    }
    return std::nullopt;
  }

  // 32, 1_000, 'd5, 8'hff, 4'b1010; x and z digits are unknown.
  Value number() {
    std::size_t start = at_;
    while (at_ < text_.size() &&
           (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
      ++at_;
    std::string_view digits = text_.substr(start, at_ - start);
    int base = 10;
    if (at_ < text_.size() && text_[at_] == '\'') {
      ++at_;
      if (at_ < text_.size() && (text_[at_] == 's' || text_[at_] == 'S')) ++at_;
      if (at_ >= text_.size()) return std::nullopt;
      switch (std::tolower(static_cast<unsigned char>(text_[at_]))) {
        case 'd':
          base = 10;
          break;
        case 'h':
          base = 16;
          break;
        case 'o':
          base = 8;
          break;
        case 'b':
          base = 2;
          break;
        default:
          return std::nullopt;
      }
      ++at_;
      skip_space();
      start = at_;
      while (at_ < text_.size() &&
             (std::isxdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '_'))
        ++at_;
      digits = text_.substr(start, at_ - start);
    }
    std::int64_t value = 0;
    bool any = false;
    for (char c : digits) {
      if (c == '_') continue;
      int digit = std::isdigit(static_cast<unsigned char>(c))
                      ? c - '0'
                      : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
      if (digit >= base || value > (INT64_MAX - digit) / base) return std::nullopt;
      value = value * base + digit;
      any = true;
    }
    if (!any) return std::nullopt;
    return value;
  }

  bool peek(std::string_view word) {
    skip_space();
    return text_.substr(at_, word.size()) == word;
  }

  bool take(std::string_view word) {
    if (!peek(word)) return false;
    at_ += word.size();
    return true;
  }

  void skip_space() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }

  std::string_view text_;
  const NameValue& value_of_;
  std::size_t at_ = 0;
};

// The ":" of a range, outside parentheses and not part of "::" or of a "?:".
std::size_t range_colon(std::string_view inside) {
  int depth = 0, questions = 0;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    char c = inside[i];
    if (c == '(' || c == '{' || c == '[') ++depth;
    if (c == ')' || c == '}' || c == ']') --depth;
    if (depth != 0) continue;
    if (c == '?') ++questions;
    if (c != ':') continue;
    if (i + 1 < inside.size() && inside[i + 1] == ':') {
      ++i;
      continue;
    }
    if (questions > 0) {
      --questions;
      continue;
    }
    return i;
  }
  return std::string_view::npos;
}

}  // namespace

std::optional<std::int64_t> evaluate_constant(std::string_view expression,
                                              const NameValue& value_of) {
  return ConstantReader(expression, value_of).whole();
}

std::vector<std::string_view> split_dimensions(std::string_view dimensions) {
  std::vector<std::string_view> out;
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < dimensions.size(); ++i) {
    if (dimensions[i] == '[' && depth++ == 0) start = i;
    if (dimensions[i] == ']' && --depth == 0)
      out.push_back(dimensions.substr(start, i + 1 - start));
  }
  return out;
}

std::optional<std::int64_t> dimension_elements(std::string_view dimensions,
                                               const NameValue& value_of) {
  std::int64_t elements = 1;
  for (std::string_view dimension : split_dimensions(dimensions)) {
    std::string_view inside = dimension.substr(1, dimension.size() - 2);
    std::size_t colon = range_colon(inside);
    std::optional<std::int64_t> size;
    if (colon == std::string_view::npos) {
      size = evaluate_constant(inside, value_of);
    } else {
      std::string_view left = inside.substr(0, colon);
      std::optional<std::int64_t> right = evaluate_constant(inside.substr(colon + 1), value_of);
      if (!left.empty() && (left.back() == '+' || left.back() == '-')) {
        size = right;  // an indexed part: base +: width
      } else {
        std::optional<std::int64_t> high = evaluate_constant(left, value_of);
        if (high && right) size = (*high > *right ? *high - *right : *right - *high) + 1;
      }
    }
    if (!size || *size <= 0 || elements > INT64_MAX / *size) return std::nullopt;
    elements *= *size;
  }
  return elements;
}

NameValue parameter_values(const std::vector<rtl::ModuleParameter>& params) {
  // Defaults name each other; a depth bound keeps a cycle from recursing forever.
  struct Table {
    std::unordered_map<std::string_view, std::string_view> defaults;
    int depth = 0;
  };
  auto table = std::make_shared<Table>();
  for (const rtl::ModuleParameter& param : params)
    if (!param.default_text.empty()) table->defaults[param.name] = param.default_text;
  auto value = std::make_shared<NameValue>();
  std::weak_ptr<NameValue> self = value;
  *value = [table, self](std::string_view name) -> std::optional<std::int64_t> {
    auto found = table->defaults.find(name);
    if (found == table->defaults.end() || table->depth > 16) return std::nullopt;
    ++table->depth;
    std::optional<std::int64_t> result = evaluate_constant(found->second, *self.lock());
    --table->depth;
    return result;
  };
  return [value](std::string_view name) { return (*value)(name); };
}

}  // namespace noc::model
