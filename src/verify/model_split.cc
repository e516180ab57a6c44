#include "verify/model_split.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "verify/runtime_cache.h"

namespace noc::verify {
namespace {

// Below this much C++ one compiler is done before a second has read the precompiled header.
constexpr long long kSplitBytes = 100 * 1024;

long long size_of(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

}  // namespace

std::vector<std::string> split_model(const std::string& obj_dir,
                                     const std::string& classes_makefile_text, unsigned parts) {
  std::vector<std::string> classes =
      makefile_names(classes_makefile_text,
                     {"VM_CLASSES_FAST", "VM_CLASSES_SLOW", "VM_SUPPORT_FAST", "VM_SUPPORT_SLOW"});
  std::vector<std::pair<long long, std::string>> sized;
  long long total = 0;
  for (const std::string& name : classes) {
    long long size = size_of(obj_dir + "/" + name + ".cpp");
    if (size == 0) return {};  // not the layout this knows: leave the build as Verilator wrote it
    sized.emplace_back(size, name);
    total += size;
  }
  if (parts < 2 || classes.size() < 2 || total < kSplitBytes) return {};
  parts = std::min<unsigned>(parts, static_cast<unsigned>(classes.size()));
  // The largest first, each to the part that holds the least so far.
  std::sort(sized.begin(), sized.end(), [](const auto& a, const auto& b) { return a > b; });
  std::vector<long long> load(parts, 0);
  std::vector<std::string> text(parts, "// Class files of the model, compiled as one of " +
                                           std::to_string(parts) + " parts.\n");
  for (const auto& [size, name] : sized) {
    auto least = std::min_element(load.begin(), load.end()) - load.begin();
    load[least] += size;
    text[least] += "#include \"" + name + ".cpp\"\n";
  }
  std::string list;
  for (unsigned i = 0; i < parts; ++i) {
    std::string name = "nocgen_part_" + std::to_string(i);
    std::ofstream out(obj_dir + "/" + name + ".cpp", std::ios::trunc);
    if (!(out << text[i]).flush()) return {};
    list += (i ? " " : "") + name;
  }
  return {"VM_PARALLEL_BUILDS=1", "VM_CLASSES_FAST=" + list,
          "VM_CLASSES_SLOW=", "VM_SUPPORT_FAST=", "VM_SUPPORT_SLOW="};
}

}  // namespace noc::verify
