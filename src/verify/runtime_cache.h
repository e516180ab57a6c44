#pragma once

#include <optional>
#include <string>
#include <vector>

namespace noc::verify {

/// Verilator's own runtime (verilated.cpp and its kin) takes longer to compile than a whole
/// network's stand-ins, and is the same for every simulation built by one Verilator with one
/// compiler and one set of flags. A folder under the user's cache keeps its objects.
enum class CacheRestore { kRestored, kEmpty, kDamaged };

class RuntimeCache {
 public:
  /// The folder for `key` under $XDG_CACHE_HOME (or ~/.cache) /nocgen; none when neither names
  /// a place.
  static std::optional<RuntimeCache> open(const std::string& key);

  const std::string& dir() const { return dir_; }

  /// Copies the kept objects into `obj_dir`, newer than the makefile that lists them, so that
  /// make takes them as built. Each object is checked against the size and digest noted when
  /// it was kept: an entry that does not match (a full disk or a crash while it was written,
  /// a file changed since) is removed and reported as damaged, to be built again.
  CacheRestore restore(const std::vector<std::string>& objects, const std::string& obj_dir,
                       const std::string& makefile) const;

  /// Keeps the objects of a finished build, with a list of their sizes and digests, everything
  /// on disk before the folder takes its name. Two runs that keep at once leave one whole
  /// copy; a cache that cannot be written is left alone, since the next run only builds again.
  void keep(const std::vector<std::string>& objects, const std::string& obj_dir) const;

 private:
  explicit RuntimeCache(std::string dir) : dir_(std::move(dir)) {}
  std::string dir_;
};

/// What makes two runtime builds the same: Verilator's version line, the compiler that
/// Verilator's makefile calls (its path, size and time), and the flags.
std::string runtime_key(const std::string& verilator_version, const std::string& flags);

/// The names a Verilator makefile lists under any of `variables` ("VM_GLOBAL_FAST += \\ ...").
std::vector<std::string> makefile_names(const std::string& text,
                                        const std::vector<std::string>& variables);

/// The runtime objects a Verilator makefile lists (VM_GLOBAL_FAST and VM_GLOBAL_SLOW), as
/// file names ("verilated.o").
std::vector<std::string> runtime_objects(const std::string& classes_makefile_text);

}  // namespace noc::verify
