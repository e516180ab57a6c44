// The text sink's copies: small pieces by word moves, and claims larger than its buffer.
#include "emit/text_sink.h"

#include <gtest/gtest.h>

#include <string>

namespace noc::emit {
namespace {

TEST(Put, CopiesEveryLengthExactlyAndNoFurther) {
  const std::string source = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ";
  for (std::size_t length = 0; length <= 40; ++length) {
    std::string target(48, '.');
    char* end = put(target.data() + 1, source.data() + 3, length);
    EXPECT_EQ(end, target.data() + 1 + length);
    EXPECT_EQ(target, "." + source.substr(3, length) + std::string(47 - length, '.'))
        << "length " << length;
  }
}

TEST(Put, NumbersInDecimal) {
  for (int number : {0, 7, 10, 2147483647, -2147483647 - 1}) {
    char digits[16];
    EXPECT_EQ(std::string(digits, put(digits, number)), std::to_string(number));
  }
}

// A line longer than the sink's block (a router with very many tiles) is claimed whole.
TEST(TextSink, AClaimLargerThanTheBufferKeepsTheTextInOrder) {
  StringSink sink;
  sink << "head;";
  const std::string line(3 << 20, 'x');
  char* at = sink.claim(line.size() + 1);
  sink.advance(put(put(at, line), ";", 1));
  sink << "tail";
  EXPECT_EQ(sink.text(), "head;" + line + ";tail");
  EXPECT_EQ(sink.bytes(), line.size() + 10);
}

}  // namespace
}  // namespace noc::emit
