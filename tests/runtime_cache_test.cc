// The cache of Verilator's runtime objects: what a makefile lists, and a kept copy restored.
#include "verify/runtime_cache.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace noc::verify {
namespace {

namespace fs = std::filesystem;

struct ObjectsCase {
  const char* name;
  const char* makefile;
  std::vector<std::string> objects;
};
void PrintTo(const ObjectsCase& c, std::ostream* os) {
  *os << c.name;
}

class RuntimeObjects : public testing::TestWithParam<ObjectsCase> {};

TEST_P(RuntimeObjects, ReadsTheGlobalClasses) {
  EXPECT_EQ(runtime_objects(GetParam().makefile), GetParam().objects);
}

const ObjectsCase kObjectsCases[] = {
    {"fast_list_ends_at_blank_line",
     "VM_CLASSES_FAST += \\\n\tVtop \\\n\nVM_GLOBAL_FAST += \\\n\tverilated \\\n\tverilated_timing "
     "\\\n\tverilated_threads \\\n\n# Global classes\nVM_GLOBAL_SLOW += \\\n\n",
     {"verilated.o", "verilated_timing.o", "verilated_threads.o"}},
    {"slow_list_too",
     "VM_GLOBAL_FAST += \\\n\tverilated \\\n\nVM_GLOBAL_SLOW += \\\n\tverilated_vcd_c \\\n",
     {"verilated.o", "verilated_vcd_c.o"}},
    {"last_name_without_continuation",
     "VM_GLOBAL_FAST += \\\n\tverilated\nother\n",
     {"verilated.o"}},
    {"no_lists", "VM_CLASSES_FAST += \\\n\tVtop \\\n", {}},
};

INSTANTIATE_TEST_SUITE_P(Makefiles, RuntimeObjects, testing::ValuesIn(kObjectsCases),
                         test::RowLabel());

class RuntimeCacheFolder : public testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("noc_runtime_cache_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "obj");
    const char* old = std::getenv("XDG_CACHE_HOME");
    saved_ = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("XDG_CACHE_HOME", (root_ / "cache").c_str(), 1);
  }
  void TearDown() override {
    if (saved_)
      ::setenv("XDG_CACHE_HOME", saved_->c_str(), 1);
    else
      ::unsetenv("XDG_CACHE_HOME");
    fs::remove_all(root_);
  }
  void write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

  fs::path root_;
  std::optional<std::string> saved_;
};

TEST_F(RuntimeCacheFolder, KeptObjectsComeBackNewerThanTheMakefile) {
  std::optional<RuntimeCache> cache =
      RuntimeCache::open(runtime_key("Verilator 5.006", "--timing"));
  ASSERT_TRUE(cache);
  EXPECT_EQ(cache->dir().rfind((root_ / "cache" / "nocgen").string(), 0), 0u) << cache->dir();
  write(root_ / "obj" / "verilated.o", "runtime");
  write(root_ / "obj" / "top.mk", "rules");
  EXPECT_EQ(cache->restore({"verilated.o"}, (root_ / "obj").string(), ""), CacheRestore::kEmpty);
  cache->keep({"verilated.o"}, (root_ / "obj").string());

  fs::path fresh = root_ / "fresh";
  fs::create_directories(fresh);
  write(fresh / "top.mk", "rules");
  ASSERT_EQ(cache->restore({"verilated.o"}, fresh.string(), (fresh / "top.mk").string()),
            CacheRestore::kRestored);
  std::ifstream in(fresh / "verilated.o");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "runtime");
  EXPECT_LT(fs::last_write_time(fresh / "top.mk"), fs::last_write_time(fresh / "verilated.o"));
  EXPECT_EQ(cache->restore({"verilated.o", "verilated_timing.o"}, fresh.string(),
                           (fresh / "top.mk").string()),
            CacheRestore::kDamaged);
}

// A cached object cut short (a full disk, a crash while it was kept) or changed since must not
// reach a build: the entry is dropped, reported, and kept afresh by the next build.
TEST_F(RuntimeCacheFolder, ADamagedObjectIsDroppedAndKeptAgain) {
  std::optional<RuntimeCache> cache = RuntimeCache::open(runtime_key("Verilator 5.006", "x"));
  ASSERT_TRUE(cache);
  fs::create_directories(root_ / "obj");
  write(root_ / "obj" / "verilated.o", "the whole runtime");
  write(root_ / "obj" / "top.mk", "rules");
  cache->keep({"verilated.o"}, (root_ / "obj").string());
  for (const char* damage : {"", "the whole runtimf"}) {
    write(fs::path(cache->dir()) / "verilated.o", damage);
    EXPECT_EQ(cache->restore({"verilated.o"}, (root_ / "obj").string(),
                             (root_ / "obj" / "top.mk").string()),
              CacheRestore::kDamaged)
        << damage;
    EXPECT_FALSE(fs::exists(cache->dir()));
    cache->keep({"verilated.o"}, (root_ / "obj").string());
    EXPECT_EQ(cache->restore({"verilated.o"}, (root_ / "obj").string(),
                             (root_ / "obj" / "top.mk").string()),
              CacheRestore::kRestored);
  }
}

TEST_F(RuntimeCacheFolder, AnotherVerilatorOrFlagsGetAnotherFolder) {
  auto dir = [](const std::string& version, const std::string& flags) {
    return RuntimeCache::open(runtime_key(version, flags))->dir();
  };
  EXPECT_NE(dir("Verilator 5.006", "--timing"), dir("Verilator 5.008", "--timing"));
  EXPECT_NE(dir("Verilator 5.006", "--timing"), dir("Verilator 5.006", "--no-timing"));
  EXPECT_EQ(dir("Verilator 5.006", "--timing"), dir("Verilator 5.006", "--timing"));
}

}  // namespace
}  // namespace noc::verify
