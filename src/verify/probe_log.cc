#include "verify/probe_log.h"

#include <charconv>

#include "common/error.h"
#include "common/text.h"
#include "verify/probe_code.h"

namespace noc::verify {
namespace {

std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at < line.size()) {
    std::size_t start = line.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    std::size_t end = line.find(' ', start);
    if (end == std::string_view::npos) end = line.size();
    out.push_back(line.substr(start, end - start));
    at = end;
  }
  return out;
}

template <typename T>
bool read_number(std::string_view text, T& value, int base = 10) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size();
}

class LogReader {
 public:
  ProbeLog run(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = text.find('\n', at);
      if (end == std::string_view::npos) end = text.size();
      line(text.substr(at, end - at));
      at = end + 1;
    }
    return std::move(log_);
  }

 private:
  void line(std::string_view line) {
    std::vector<std::string_view> w = words(line);
    if (w.empty()) return;
    bool ok = true;
    if (w[0] == "INST") {
      LoggedInstance instance;
      ok = w.size() == 4 && read_number(w[2], instance.id) && read_number(w[3], instance.module);
      instance.path = w.size() > 1 ? std::string(w[1]) : "";
      if (ok) log_.instances.push_back(std::move(instance));
    } else if (w[0] == "SEND" || w[0] == "RECV") {
      ok = port(w);
    } else {
      return;
    }
    if (!ok) throw Error("the simulation printed a line verify cannot read: " + printable(line));
  }

  bool port(const std::vector<std::string_view>& w) {
    bool input = w[0] == "RECV";
    int number = 0;
    LoggedPort port;
    port.input = input;
    if (w.size() < 4 || !read_number(w[2], number) || !read_number(w[3], port.bits)) return false;
    if (input && !read_steps(w, port)) return false;
    LoggedInstance* owner = find(w[1]);
    if (!owner) return false;
    owner->ports[number] = std::move(port);
    return true;
  }

  // An input prints what it saw at every step, one word of all its bits each; bit i's code is
  // its bits over the steps, the first step the highest.
  static bool read_steps(const std::vector<std::string_view>& w, LoggedPort& port) {
    if (w.size() != 4 + kProbeSteps || port.bits > kMaxPortBits) return false;
    port.codes.assign(port.bits, 0);
    for (int step = 0; step < kProbeSteps; ++step) {
      std::string_view word = w[4 + step];
      for (std::size_t digit = 0; digit < word.size(); ++digit) {
        int value = hex_value(word[word.size() - 1 - digit]);
        if (value < 0) return false;
        for (int b = 0; b < 4; ++b) {
          std::uint64_t bit = 4 * digit + b;
          if (!((value >> b) & 1)) continue;
          if (bit >= port.bits) return false;
          port.codes[bit] |= std::uint64_t{1} << (kProbeSteps - 1 - step);
        }
      }
    }
    return true;
  }

  static int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  LoggedInstance* find(std::string_view path) {
    for (auto it = log_.instances.rbegin(); it != log_.instances.rend(); ++it)
      if (it->path == path) return &*it;
    return nullptr;
  }

  ProbeLog log_;
};

}  // namespace

ProbeLog parse_probe_log(std::string_view text) {
  return LogReader().run(text);
}

}  // namespace noc::verify
