#pragma once

#include <ostream>

#include "model/diagnostics.h"

namespace noc::app {

/// What `nocgen explain NOCxxx` prints: the code, severity and summary, an example of a design
/// that breaks the rule, the fix, and how to waive it when it is a warning.
void write_rule_explanation(std::ostream& out, const model::RuleInfo& rule);

/// Every rule, one line each, sorted by code: what `nocgen explain` without a code prints.
void write_rule_list(std::ostream& out);

/// Every rule as a Markdown table (code, severity, rule, fix), sorted by code: the table of the
/// manual's rules page, which a test holds to this text.
void write_rule_table_markdown(std::ostream& out);

}  // namespace noc::app
