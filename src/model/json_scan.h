#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace noc::model {

/// The events of a JSON text in document order, with strings as views of the text.
class JsonHandler {
 public:
  virtual ~JsonHandler() = default;
  virtual void null_value() = 0;
  virtual void boolean_value(bool value) = 0;
  virtual void number_value(bool nonzero) = 0;
  virtual void string_value(std::string_view text) = 0;
  /// `offset` is the byte offset of the key's opening quote.
  virtual void key(std::string_view text, std::uint32_t offset) = 0;
  virtual void open(bool object) = 0;
  virtual void close() = 0;
};

/// Reads the JSON that descriptions are made of, fast: strings of printable ASCII without
/// escapes, integers, literals, objects and arrays, and white space. Anything else, valid or
/// not (escapes, other bytes, fractions, exponents, a byte order mark, an error), makes it
/// return false at once, and the caller reads the text again with the full JSON reader, which
/// decides and words the error. The handler may have seen some events by then.
bool scan_plain_json(std::string_view text, JsonHandler& handler);

/// A text held whole: the scanner never asks for more of it.
struct HeldText {
  bool refill(std::size_t, std::string_view&, std::size_t& shift) { return shift = 0, false; }
  std::uint64_t base() const { return 0; }
};

namespace detail {

// The scanner is a template on the handler, so that a final handler's events are inlined
// rather than called through the table of a JsonHandler: a description has millions of them.
// It is also one on where the text comes from: held whole, or a window onto a file that it
// asks to refill when it reaches the window's end (Source::refill, as FileWindow's), keeping
// the token it is in. Views handed to the handler then last only until the next event.
template <typename Handler, typename Source>
class PlainScanner {
 public:
  PlainScanner(std::string_view text, Handler& handler, Source& source)
      : text_(text), handler_(handler), source_(source) {}

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
  // Reads on past the window's end, keeping the bytes from `keep` (moved, like at_, to where
  // they now stand). False at the end of the text.
  bool more(std::size_t& keep) {
    std::size_t shift = 0;
    bool added = source_.refill(keep, text_, shift);
    at_ -= shift;
    keep -= shift;
    return added;
  }
  bool more() {
    std::size_t keep = at_;
    return more(keep);
  }

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
    auto offset = static_cast<std::uint32_t>(source_.base() + at_);
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
    for (;;) {
      // Eight bytes at a time while none of them is a quote, a backslash, a control character
      // or outside printable ASCII; the byte loop below decides at the first word that has one.
      constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
      auto has_zero = [](std::uint64_t word) { return (word - kOnes) & ~word & kHighs; };
      while (at_ + 8 <= text_.size()) {
        std::uint64_t word;
        std::memcpy(&word, text_.data() + at_, 8);
        if (has_zero(word ^ (kOnes * '"')) | has_zero(word ^ (kOnes * '\\')) |
            has_zero(word ^ (kOnes * 0x7F)) | ((word - kOnes * 0x20) & ~word & kHighs) |
            (word & kHighs))
          break;
        at_ += 8;
      }
      for (; at_ < text_.size(); ++at_) {
        unsigned char c = static_cast<unsigned char>(text_[at_]);
        if (c == '"') {
          out = text_.substr(begin, at_ - begin);
          ++at_;
          return true;
        }
        if (c < 0x20 || c >= 0x7F || c == '\\') return false;
      }
      if (!more(begin)) return false;
    }
  }

  // Integers only: -?(0|[1-9][0-9]*), followed by something that ends a value. At most 18
  // digits, which every reader holds exactly; the full reader turns longer ones into floating
  // point and refuses those beyond its range.
  bool number() {
    if (text_[at_] == '-') ++at_;
    if (at_ == text_.size() && !more()) return false;
    bool nonzero = false;
    std::size_t first = at_;
    if (text_[at_] == '0') {
      ++at_;
    } else if (text_[at_] >= '1' && text_[at_] <= '9') {
      for (;;) {
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
          nonzero |= text_[at_++] != '0';
        if (at_ < text_.size() || !more(first)) break;
      }
      if (at_ - first > 18) return false;
    } else {
      return false;
    }
    if (at_ < text_.size() || more()) {
      char c = text_[at_];
      if (c != ',' && c != '}' && c != ']' && c != ' ' && c != '\n' && c != '\r' && c != '\t')
        return false;
    }
    handler_.number_value(nonzero);
    return true;
  }

  bool literal(std::string_view word) {
    while (text_.size() - at_ < word.size() && more()) {
    }
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  void skip_space() {
    for (;;) {
      while (at_ < text_.size()) {
        char c = text_[at_];
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return;
        ++at_;
      }
      if (!more()) return;
    }
  }

  std::string_view text_;
  Handler& handler_;
  Source& source_;
  std::size_t at_ = 0;
  std::vector<char> open_;  ///< the containers open around the reader: true for an object
  bool first_ = false;      ///< the innermost container was just opened
};

}  // namespace detail

/// The same for a handler of a known type, whose calls the compiler can inline.
template <typename Handler>
bool scan_plain_json(std::string_view text, Handler& handler) {
  HeldText held;
  return detail::PlainScanner<Handler, HeldText>(text, handler, held).run();
}

/// The same over a source that hands out the text a window at a time (FileWindow).
template <typename Handler, typename Source>
bool scan_plain_json_from(Source& source, Handler& handler) {
  return detail::PlainScanner<Handler, Source>(std::string_view(), handler, source).run();
}

}  // namespace noc::model
