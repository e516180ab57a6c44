// The manual's rules page against the rule table: a rule added, renamed or retired in the code
// shows in the page, or this fails with the table to paste.
#include "app/rule_explanation.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "test_util.h"

namespace noc::app {
namespace {

constexpr std::string_view kBegin = "<!-- rules: nocgen explain --markdown -->\n";
constexpr std::string_view kEnd = "<!-- end of rules -->";

TEST(RuleExplanation, RulesPageHoldsEveryRuleAsTheCodeHasIt) {
  std::string page = test::read_file(std::string(NOC_SOURCE_DIR) + "/docs/rules.md");
  std::size_t begin = page.find(kBegin);
  std::size_t end = page.find(kEnd);
  ASSERT_NE(begin, std::string::npos) << "docs/rules.md lost its opening marker";
  ASSERT_NE(end, std::string::npos) << "docs/rules.md lost its closing marker";
  std::ostringstream table;
  write_rule_table_markdown(table);
  EXPECT_EQ(page.substr(begin + kBegin.size(), end - begin - kBegin.size()), table.str())
      << "run `nocgen explain --markdown` and put its table between the markers";
}

TEST(RuleExplanation, EveryCodeIsOneRowOfTheTable) {
  std::ostringstream table;
  write_rule_table_markdown(table);
  std::string text = table.str();
  for (const model::RuleInfo& rule : model::all_rules())
    EXPECT_NE(text.find(std::string("| ") + rule.code + " | "), std::string::npos) << rule.code;
  // A header, its rule and one line per rule.
  EXPECT_EQ(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
            model::all_rules().size() + 2);
}

}  // namespace
}  // namespace noc::app
