#include "verify/runtime_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "verify/process.h"

namespace noc::verify {
namespace {

namespace fs = std::filesystem;

std::string hex_digest(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a: stable across builds and machines
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  static const char* digits = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) out[i] = digits[hash & 15];
  return out;
}

std::string file_stamp(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return path + " missing";
  return path + " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
         std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace

std::optional<RuntimeCache> RuntimeCache::open(const std::string& key) {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::string base;
  if (xdg && *xdg == '/')
    base = xdg;
  else if (home && *home == '/')
    base = std::string(home) + "/.cache";
  else
    return std::nullopt;
  return RuntimeCache(base + "/nocgen/verilator-runtime-" + hex_digest(key));
}

namespace {

constexpr const char* kManifest = "MANIFEST";

// "NAME SIZE DIGEST" of one object.
std::optional<std::string> manifest_line(const std::string& dir, const std::string& object) {
  std::ifstream in(dir + "/" + object, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return object + " " + std::to_string(bytes.size()) + " " + hex_digest(bytes);
}

bool synced(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace

CacheRestore RuntimeCache::restore(const std::vector<std::string>& objects,
                                   const std::string& obj_dir, const std::string& makefile) const {
  std::error_code ec;
  if (objects.empty() || !fs::exists(dir_, ec)) return CacheRestore::kEmpty;
  std::ifstream manifest(dir_ + "/" + kManifest);
  if (!manifest) {  // kept by an earlier nocgen, which noted nothing to check it by
    fs::remove_all(dir_, ec);
    return CacheRestore::kEmpty;
  }
  std::string expected((std::istreambuf_iterator<char>(manifest)),
                       std::istreambuf_iterator<char>());
  std::string found;
  for (const std::string& object : objects) {
    std::optional<std::string> line = manifest_line(dir_, object);
    found += (line ? *line : object + " missing") + "\n";
  }
  if (found != expected) {
    fs::remove_all(dir_, ec);
    return CacheRestore::kDamaged;
  }
  for (const std::string& object : objects) {
    fs::copy_file(dir_ + "/" + object, obj_dir + "/" + object, fs::copy_options::overwrite_existing,
                  ec);
    if (ec) return CacheRestore::kEmpty;
  }
  // The objects depend on the makefile Verilator has just written; make must see it older.
  fs::last_write_time(makefile, fs::file_time_type::clock::now() - std::chrono::hours(24), ec);
  return ec ? CacheRestore::kEmpty : CacheRestore::kRestored;
}

void RuntimeCache::keep(const std::vector<std::string>& objects, const std::string& obj_dir) const {
  std::error_code ec;
  if (objects.empty() || fs::exists(dir_, ec)) return;
  std::string staging = dir_ + ".part-" + std::to_string(::getpid());
  fs::create_directories(staging, ec);
  std::string manifest;
  for (const std::string& object : objects) {
    if (ec) break;
    fs::copy_file(obj_dir + "/" + object, staging + "/" + object, ec);
    std::optional<std::string> line = manifest_line(staging, object);
    if (!ec && (!line || !synced(staging + "/" + object)))
      ec = std::make_error_code(std::errc::io_error);
    if (line) manifest += *line + "\n";
  }
  if (!ec) {
    std::ofstream(staging + "/" + kManifest, std::ios::binary) << manifest;
    if (!synced(staging + "/" + kManifest)) ec = std::make_error_code(std::errc::io_error);
  }
  // A rename is whole or nothing, so a reader never sees half a folder.
  if (!ec) fs::rename(staging, dir_, ec);
  if (ec) fs::remove_all(staging, ec);
}

std::string runtime_key(const std::string& verilator_version, const std::string& flags) {
  const char* cxx = std::getenv("CXX");
  std::string compiler = cxx && *cxx ? cxx : "g++";
  std::optional<std::string> found = find_on_path(compiler);
  std::string stamp = found ? file_stamp(fs::weakly_canonical(*found).string()) : compiler;
  return verilator_version + "\n" + stamp + "\n" + flags;
}

std::vector<std::string> makefile_names(const std::string& text,
                                        const std::vector<std::string>& variables) {
  std::vector<std::string> names;
  bool in_list = false;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    bool starts = false;
    for (const std::string& variable : variables) starts |= line.rfind(variable + " +=", 0) == 0;
    if (starts) {
      in_list = true;
      continue;
    }
    if (!in_list) continue;
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') {
      in_list = false;
      continue;
    }
    std::size_t last = line.find_last_not_of(" \t\\");
    std::string name = line.substr(first, last + 1 - first);
    if (!name.empty()) names.push_back(name);
    if (line.find_last_not_of(" \t") == std::string::npos || line.back() != '\\') in_list = false;
  }
  return names;
}

std::vector<std::string> runtime_objects(const std::string& classes_makefile_text) {
  std::vector<std::string> objects;
  for (const std::string& name :
       makefile_names(classes_makefile_text, {"VM_GLOBAL_FAST", "VM_GLOBAL_SLOW"}))
    objects.push_back(name + ".o");
  return objects;
}

}  // namespace noc::verify
