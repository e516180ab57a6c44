#include "app/rule_explanation.h"

#include <algorithm>
#include <string>
#include <vector>

namespace noc::app {

void write_rule_explanation(std::ostream& out, const model::RuleInfo& rule) {
  out << rule.code << " (" << model::severity_name(rule.severity) << "): " << rule.summary << "\n"
      << "  example: " << rule.example << "\n"
      << "  fix:     " << rule.fix << "\n";
  if (rule.severity == model::Severity::kWarning)
    out << "  waive it with -Wno-" << rule.code
        << ", or make it an error with -Werror=" << rule.code << "\n";
  else
    out << "  an error cannot be waived: the top it concerns would be wrong\n";
}

void write_rule_list(std::ostream& out) {
  std::vector<const model::RuleInfo*> rules;
  for (const model::RuleInfo& rule : model::all_rules()) rules.push_back(&rule);
  std::sort(rules.begin(), rules.end(), [](const auto* a, const auto* b) {
    return std::string_view(a->code) < std::string_view(b->code);
  });
  for (const model::RuleInfo* rule : rules)
    out << rule->code << "  " << (rule->severity == model::Severity::kError ? "error  " : "warning")
        << "  " << rule->summary << "\n";
}

}  // namespace noc::app
