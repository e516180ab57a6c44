#include "model/json_scan.h"

#include <vector>

namespace noc::model {
namespace {

class Scanner {
 public:
  Scanner(std::string_view text, JsonHandler& handler) : text_(text), handler_(handler) {}

  bool run() {
    skip_space();
    if (!value()) return false;
    for (;;) {
      skip_space();
      if (open_.empty()) return at_ == text_.size();
      bool ok = first_ ? first_element() : next_in_container();
      if (!ok) return false;
    }
  }

 private:
  bool first_element() {
    first_ = false;
    return open_.back() ? member() : value();
  }

  // After a value inside the innermost container: a "," and the next element, or its end.
  bool next_in_container() {
    if (at_ == text_.size()) return false;
    char c = text_[at_++];
    bool object = open_.back();
    if (c == (object ? '}' : ']')) {
      open_.pop_back();
      handler_.close();
      return true;
    }
    if (c != ',') return false;
    skip_space();
    return object ? member() : value();
  }

  // "key" : value
  bool member() {
    if (at_ == text_.size() || text_[at_] != '"') return false;
    std::uint32_t offset = static_cast<std::uint32_t>(at_);
    std::string_view name;
    if (!string(name)) return false;
    handler_.key(name, offset);
    skip_space();
    if (at_ == text_.size() || text_[at_] != ':') return false;
    ++at_;
    skip_space();
    return value();
  }

  bool value() {
    if (at_ == text_.size()) return false;
    char c = text_[at_];
    if (c == '{' || c == '[') return container(c == '{');
    if (c == '"') {
      std::string_view text;
      if (!string(text)) return false;
      handler_.string_value(text);
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return number();
    if (literal("true")) return handler_.boolean_value(true), true;
    if (literal("false")) return handler_.boolean_value(false), true;
    if (literal("null")) return handler_.null_value(), true;
    return false;
  }

  bool container(bool object) {
    ++at_;
    handler_.open(object);
    skip_space();
    if (at_ < text_.size() && text_[at_] == (object ? '}' : ']')) {
      ++at_;
      handler_.close();
      return true;
    }
    // The first element is read by the loop in run(), so that nesting costs no stack.
    open_.push_back(object);
    first_ = true;
    return true;
  }

  bool string(std::string_view& out) {
    std::size_t begin = ++at_;
    for (; at_ < text_.size(); ++at_) {
      unsigned char c = static_cast<unsigned char>(text_[at_]);
      if (c == '"') {
        out = text_.substr(begin, at_ - begin);
        ++at_;
        return true;
      }
      if (c < 0x20 || c >= 0x7F || c == '\\') return false;
    }
    return false;
  }

  // Integers only: -?(0|[1-9][0-9]*), followed by something that ends a value. At most 18
  // digits, which every reader holds exactly; the full reader turns longer ones into floating
  // point and refuses those beyond its range.
  bool number() {
    if (text_[at_] == '-') ++at_;
    if (at_ == text_.size()) return false;
    bool nonzero = false;
    std::size_t first = at_;
    if (text_[at_] == '0') {
      ++at_;
    } else if (text_[at_] >= '1' && text_[at_] <= '9') {
      while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
        nonzero |= text_[at_++] != '0';
      if (at_ - first > 18) return false;
    } else {
      return false;
    }
    if (at_ < text_.size()) {
      char c = text_[at_];
      if (c != ',' && c != '}' && c != ']' && c != ' ' && c != '\n' && c != '\r' && c != '\t')
        return false;
    }
    handler_.number_value(nonzero);
    return true;
  }

  bool literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  void skip_space() {
    while (at_ < text_.size()) {
      char c = text_[at_];
      if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return;
      ++at_;
    }
  }

  std::string_view text_;
  JsonHandler& handler_;
  std::size_t at_ = 0;
  std::vector<bool> open_;  ///< the containers open around the reader: true for an object
  bool first_ = false;      ///< the innermost container was just opened
};

}  // namespace

bool scan_plain_json(std::string_view text, JsonHandler& handler) {
  return Scanner(text, handler).run();
}

}  // namespace noc::model
