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

namespace {

std::vector<const model::RuleInfo*> rules_by_code() {
  std::vector<const model::RuleInfo*> rules;
  for (const model::RuleInfo& rule : model::all_rules()) rules.push_back(&rule);
  std::sort(rules.begin(), rules.end(), [](const auto* a, const auto* b) {
    return std::string_view(a->code) < std::string_view(b->code);
  });
  return rules;
}

// A table cell: a "|" would end it early.
std::string cell(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

void write_rule_list(std::ostream& out) {
  for (const model::RuleInfo* rule : rules_by_code())
    out << rule->code << "  " << (rule->severity == model::Severity::kError ? "error  " : "warning")
        << "  " << rule->summary << "\n";
}

void write_rule_table_markdown(std::ostream& out) {
  out << "| code | severity | rule | fix |\n|---|---|---|---|\n";
  for (const model::RuleInfo* rule : rules_by_code())
    out << "| " << rule->code << " | " << model::severity_name(rule->severity) << " | "
        << cell(rule->summary) << " | " << cell(rule->fix) << " |\n";
}

}  // namespace noc::app
