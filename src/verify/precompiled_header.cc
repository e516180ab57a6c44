#include "verify/precompiled_header.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "common/error.h"
#include "common/input_file.h"
#include "verify/process.h"

namespace noc::verify {
namespace {

namespace fs = std::filesystem;

// Beside the runtime's folder, which is put in place whole by a rename once the objects are in.
std::string header_path(const std::string& cache_dir) {
  return cache_dir + "-pch/nocgen_pch.h";
}

std::optional<long long> file_size(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<long long>(info.st_size);
}

// A header kept whole: its size is noted beside it once it is complete, so that one cut short
// (a full disk, a killed run) is made again rather than read.
bool complete(const std::string& gch) {
  std::optional<long long> size = file_size(gch);
  std::ifstream noted(gch + ".size");
  long long expected = -1;
  return size && (noted >> expected) && expected == *size;
}

// The model's preprocessor flags, as its makefile computes them, without the ones that name
// its own folder or write dependency files.
std::optional<std::vector<std::string>> model_flags(const HeaderBuild& build) {
  ChildEnd shown = run_logged(
      {build.make, "-s", "-f", build.makefile, "debug-make", "OPT_FAST=-O0", "OPT_SLOW=-O0"},
      build.obj_dir, build.log, build.timeout_seconds, build.check_interrupt);
  if (!shown.ok()) return std::nullopt;
  std::istringstream lines(read_input_file(build.log, "make's flags"));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("CPPFLAGS:", 0) != 0) continue;
    std::istringstream words(line.substr(9));
    std::vector<std::string> flags;
    for (std::string word; words >> word;)
      if (word != "-I." && word != "-MMD") flags.push_back(word);
    flags.push_back("-O0");
    return flags;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> precompiled_header(const HeaderBuild& build) {
  std::string header = header_path(build.cache_dir), gch = header + ".gch";
  // make splits its variables at spaces.
  if (header.find_first_of(" \t\"'\\$") != std::string::npos) return std::nullopt;
  if (complete(gch)) return header;
  std::error_code ec;
  fs::create_directories(fs::path(header).parent_path(), ec);
  if (ec) return std::nullopt;
  const std::string text = "#include \"verilated.h\"\n#include \"verilated_timing.h\"\n";
  // Another run may be reading it: it is written only where it is not there yet.
  if (file_size(header) != static_cast<long long>(text.size())) {
    std::ofstream out(header, std::ios::trunc);
    if (!(out << text).flush()) return std::nullopt;
  }
  std::optional<std::vector<std::string>> flags = model_flags(build);
  const char* cxx = std::getenv("CXX");
  std::optional<std::string> compiler = find_on_path(cxx && *cxx ? cxx : "g++");
  if (!flags || !compiler) return std::nullopt;
  std::vector<std::string> command = {*compiler};
  command.insert(command.end(), flags->begin(), flags->end());
  // Made under a name of its own and renamed, so that a second run never reads half of it.
  std::string partial = gch + ".part." + std::to_string(::getpid());
  for (const char* word : {"-x", "c++-header"}) command.push_back(word);
  command.insert(command.end(), {header, "-o", partial});
  ChildEnd made =
      run_logged(command, build.obj_dir, build.log, build.timeout_seconds, build.check_interrupt);
  std::optional<long long> size = file_size(partial);
  if (!made.ok() || !size || std::rename(partial.c_str(), gch.c_str()) != 0) {
    std::remove(partial.c_str());
    return std::nullopt;
  }
  std::ofstream(gch + ".size", std::ios::trunc) << *size << "\n";
  return complete(gch) ? std::optional<std::string>(header) : std::nullopt;
}

void forget_precompiled_header(const std::string& cache_dir) {
  std::string gch = header_path(cache_dir) + ".gch";
  std::remove((gch + ".size").c_str());
  std::remove(gch.c_str());
}

}  // namespace noc::verify
