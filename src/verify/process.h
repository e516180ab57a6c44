#pragma once

#include <optional>
#include <string>
#include <vector>

namespace noc::verify {

/// The full path of `program` found on PATH, or nothing.
std::optional<std::string> find_on_path(const std::string& program);

/// Runs `argv` in `directory` with standard output and error going to `log_path`, waits for it,
/// and returns its exit status (128 + the signal when a signal ended it).
int run_logged(const std::vector<std::string>& argv, const std::string& directory,
               const std::string& log_path);

}  // namespace noc::verify
