#include "app/depfile.h"

#include <cstdio>

#include "common/error.h"

namespace noc::app {
namespace {

// Why one of the two readers would read a character otherwise than as part of the name; nothing
// for a character both read back through make_escaped(). Held against GNU make 4.3 and ninja
// 1.11 reading a depfile back (ninja's reader takes letters, digits, "+,/_:.~(){}%=@[]!-", bytes
// above 0x7F and the escapes, and ends a name at anything else).
const char* misread(unsigned char c, bool is_target) {
  switch (c) {
    case '=':
      return "GNU make reads \"=\" as a variable assignment";
    case ';':
      return "GNU make reads \";\" as the start of a recipe";
    case '|':
      return "GNU make reads \"|\" as the start of order-only prerequisites";
    case '*':
    case '?':
    case '[':
      return "GNU make reads it as a wildcard, which may match other files";
    case '%':
      return is_target ? "GNU make reads \"%\" in a target as a pattern rule" : nullptr;
    case '&':
    case '\'':
    case '"':
    case '`':
    case '^':
    case '<':
    case '>':
      return "ninja's depfile reader ends a name there";
    default:
      break;
  }
  if (c < 0x20 || c == 0x7F)
    return "neither GNU make nor ninja reads a control character in a name";
  return nullptr;
}

}  // namespace

void check_depfile_path(const std::string& path, bool is_target) {
  for (unsigned char c : path) {
    const char* why = misread(c, is_target);
    if (!why) continue;
    char shown[8];
    if (c < 0x20 || c == 0x7F)
      std::snprintf(shown, sizeof shown, "\\x%02X", c);
    else
      std::snprintf(shown, sizeof shown, "%c", c);
    throw Error(std::string("the depfile cannot name this ") + (is_target ? "output" : "input") +
                    ": it holds \"" + shown + "\", and " + why +
                    "; rename it, or leave out --depfile",
                path);
  }
}

std::string make_escaped(const std::string& path) {
  std::string out;
  for (std::size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (c == ' ' || c == '#') {
      // Backslashes just before a space or "#" are doubled, then the character is escaped.
      std::size_t slashes = 0;
      while (slashes < out.size() && out[out.size() - 1 - slashes] == '\\') ++slashes;
      out.append(slashes, '\\');
      out += '\\';
      out += c;
    } else if (c == '$') {
      out += "$$";
    } else if (c == ':') {
      out += "\\:";
    } else {
      out += c;
    }
  }
  return out;
}

std::string depfile_text(const std::string& output, const std::vector<std::string>& inputs) {
  std::string text = make_escaped(output) + ":";
  for (const std::string& input : inputs) text += " \\\n  " + make_escaped(input);
  return text + "\n";
}

}  // namespace noc::app
