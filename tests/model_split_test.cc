// The model's class files shared out between files that compile side by side.
#include "verify/model_split.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace noc::verify {
namespace {

constexpr const char* kClasses =
    "VM_CLASSES_FAST += \\\n\tVtop \\\n\tVtop__big \\\n\n"
    "VM_CLASSES_SLOW += \\\n\tVtop__Slow \\\n\n"
    "VM_SUPPORT_FAST += \\\n\tVtop__Syms \\\n\n"
    "VM_GLOBAL_FAST += \\\n\tverilated \\\n";

TEST(ModelSplit, IncludesEveryClassFileOnceInBalancedParts) {
  test::TempDir dir;
  test::write_file(dir.path() + "/Vtop.cpp", std::string(30000, ' '));
  test::write_file(dir.path() + "/Vtop__big.cpp", std::string(90000, ' '));
  test::write_file(dir.path() + "/Vtop__Slow.cpp", std::string(40000, ' '));
  test::write_file(dir.path() + "/Vtop__Syms.cpp", std::string(20000, ' '));
  std::vector<std::string> make = split_model(dir.path(), kClasses, 2);
  EXPECT_EQ(make, (std::vector<std::string>{
                      "VM_PARALLEL_BUILDS=1", "VM_CLASSES_FAST=nocgen_part_0 nocgen_part_1",
                      "VM_CLASSES_SLOW=", "VM_SUPPORT_FAST=", "VM_SUPPORT_SLOW="}));
  std::string first = test::read_file(dir.path() + "/nocgen_part_0.cpp");
  std::string second = test::read_file(dir.path() + "/nocgen_part_1.cpp");
  EXPECT_NE(first.find("#include \"Vtop__big.cpp\""), std::string::npos) << first;
  for (const char* name : {"Vtop.cpp", "Vtop__Slow.cpp", "Vtop__Syms.cpp"})
    EXPECT_NE(second.find(std::string("#include \"") + name + "\""), std::string::npos) << second;
  EXPECT_EQ((first + second).find("verilated.cpp"), std::string::npos);  // the runtime's own
}

TEST(ModelSplit, LeavesASmallModelOrOneCoreAsVerilatorWroteIt) {
  test::TempDir dir;
  for (const char* name : {"Vtop", "Vtop__big", "Vtop__Slow", "Vtop__Syms"})
    test::write_file(dir.path() + "/" + name + ".cpp", std::string(1000, ' '));
  EXPECT_TRUE(split_model(dir.path(), kClasses, 2).empty());
  test::write_file(dir.path() + "/Vtop__big.cpp", std::string(200000, ' '));
  EXPECT_TRUE(split_model(dir.path(), kClasses, 1).empty());
  EXPECT_FALSE(split_model(dir.path(), kClasses, 2).empty());
}

}  // namespace
}  // namespace noc::verify
