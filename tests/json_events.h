#pragma once
// The events of a JSON text as one line of text, read by the plain scanner and by the full JSON
// reader, so that tests and the fuzz target can hold the two against each other.
#include <sys/mman.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "common/file_window.h"
#include "model/json_scan.h"

namespace noc::test {

class EventText : public model::JsonHandler {
 public:
  std::string text;
  void null_value() override { text += "n "; }
  void boolean_value(bool value) override { text += value ? "t " : "f "; }
  void number_value(bool nonzero) override { text += nonzero ? "1 " : "0 "; }
  void string_value(std::string_view value) override { text += "s:" + std::string(value) + " "; }
  void key(std::string_view name, std::uint32_t offset) override {
    text += "k:" + std::string(name) + "@" + std::to_string(offset) + " ";
  }
  void open(bool object) override { text += object ? "{ " : "[ "; }
  void close() override { text += "} "; }
};

/// Nothing when the scanner leaves the text to the full reader.
inline std::optional<std::string> plain_events(std::string_view json) {
  EventText events;
  if (!model::scan_plain_json(json, events)) return std::nullopt;
  return events.text;
}

/// The same read through a window of `block` bytes onto a file of the text, which moves on and
/// grows as the scanner asks: every token, split at any byte, must read as when held whole.
/// The file lives in memory only.
inline std::optional<std::string> windowed_events(std::string_view json, std::size_t block) {
  int fd = ::memfd_create("json", MFD_CLOEXEC);
  if (fd < 0 || ::write(fd, json.data(), json.size()) != static_cast<ssize_t>(json.size()))
    std::abort();
  std::optional<std::string> result;
  {
    FileWindow window(fd, block);
    EventText events;
    if (model::scan_plain_json_from(window, events)) result = events.text;
  }
  ::close(fd);
  return result;
}

/// Nothing when the text is not JSON. Key offsets come from the text: the opening quote before
/// the position the reader has reached.
inline std::optional<std::string> full_events(std::string_view json) {
  struct Sax : nlohmann::json_sax<nlohmann::json> {
    EventText events;
    std::string_view json;
    std::size_t searched = 0;
    bool null() override { return events.null_value(), true; }
    bool boolean(bool v) override { return events.boolean_value(v), true; }
    bool number_integer(number_integer_t v) override { return events.number_value(v != 0), true; }
    bool number_unsigned(number_unsigned_t v) override { return events.number_value(v != 0), true; }
    bool number_float(number_float_t v, const string_t&) override {
      return events.number_value(v != 0), true;
    }
    bool string(string_t& v) override {
      searched = json.find('"', searched) + 1;
      searched = json.find('"', searched) + 1;
      return events.string_value(v), true;
    }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return events.open(true), true; }
    bool start_array(std::size_t) override { return events.open(false), true; }
    bool end_object() override { return events.close(), true; }
    bool end_array() override { return events.close(), true; }
    bool key(string_t& v) override {
      std::size_t quote = json.find('"', searched);
      searched = json.find('"', quote + 1) + 1;
      return events.key(v, static_cast<std::uint32_t>(quote)), true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
      return false;
    }
  } sax;
  sax.json = json;
  if (!nlohmann::json::sax_parse(json, &sax)) return std::nullopt;
  return sax.events.text;
}

}  // namespace noc::test
