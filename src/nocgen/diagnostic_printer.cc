#include "nocgen/diagnostic_printer.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "common/input_file.h"
#include "common/text.h"

namespace noc::nocgen {
namespace {

constexpr const char* kBold = "\033[1m";
constexpr const char* kRed = "\033[1;31m";
constexpr const char* kMagenta = "\033[1;35m";
constexpr const char* kGreen = "\033[1;32m";
constexpr const char* kReset = "\033[0m";

// A file is quoted from only while it is small enough to hold; a huge description keeps its
// one-line messages.
constexpr std::size_t kQuotedFileLimit = 64 << 20;

}  // namespace

DisplayStyle style_for(std::FILE* stream, const std::string& color, bool short_form) {
  bool terminal = ::isatty(::fileno(stream)) != 0;
  DisplayStyle style;
  const char* no_color = std::getenv("NO_COLOR");  // set and not empty: no colour (no-color.org)
  // A terminal that says it is dumb (Emacs' shell, some CI logs) shows escapes as text.
  const char* term = std::getenv("TERM");
  bool colour_off = (no_color && *no_color) || (term && std::string_view(term) == "dumb");
  style.color = color == "always" || (color == "auto" && terminal && !colour_off);
  style.source_line = terminal && !short_form;
  return style;
}

std::string DiagnosticPrinter::show(const model::Diagnostic& d) {
  return show(model::severity_name(d.severity()), d.file, d.line, d.column, model::full_message(d),
              d.code());
}

std::string DiagnosticPrinter::show(const Error& error) {
  return show("error", error.file(), error.line(), error.column(), error.message(), error.code());
}

std::string DiagnosticPrinter::show(const char* severity, const std::string& file, int line,
                                    int column, const std::string& message,
                                    const std::string& code) {
  std::string plain = format_problem(severity, message, file, line, column, code);
  if (!style_.color && !style_.source_line) return plain;
  std::string out = plain;
  if (style_.color) {
    std::string marker = std::string(severity) + ": ";
    std::size_t at = plain.find(marker);
    const char* tint = std::string(severity) == "error" ? kRed : kMagenta;
    out = std::string(kBold) + plain.substr(0, at) + kReset + tint + marker + kReset + kBold +
          plain.substr(at + marker.size()) + kReset;
  }
  const std::string* text = line > 0 && column > 0 ? source_line(file, line) : nullptr;
  if (!style_.source_line || !text) return out;
  std::string caret;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text->size() && chars + 1 < static_cast<std::size_t>(column); ++i) {
    unsigned char c = static_cast<unsigned char>((*text)[i]);
    if ((c & 0xC0) == 0x80) continue;  // inside a character
    caret += c == '\t' ? '\t' : ' ';
    ++chars;
  }
  caret += style_.color ? std::string(kGreen) + "^" + kReset : "^";
  return out + "\n" + printable(*text) + "\n" + caret;
}

const std::string* DiagnosticPrinter::source_line(const std::string& file, int line) {
  auto [at, inserted] = files_.try_emplace(file);
  if (inserted) {
    try {
      at->second = read_input_file(file, "file");
      if (at->second.size() > kQuotedFileLimit) at->second.clear();
    } catch (const Error&) {
    }
  }
  const std::string& text = at->second;
  std::size_t start = 0;
  for (int i = 1; i < line; ++i) {
    start = text.find('\n', start);
    if (start == std::string::npos) return nullptr;
    ++start;
  }
  if (start >= text.size()) return nullptr;
  std::size_t end = text.find('\n', start);
  quoted_ = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!quoted_.empty() && quoted_.back() == '\r') quoted_.pop_back();
  return &quoted_;
}

}  // namespace noc::nocgen
