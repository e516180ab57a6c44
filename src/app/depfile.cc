#include "app/depfile.h"

namespace noc::app {

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
