#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../common/error.h"  // relative: a public header, see app/soc_generator.h

namespace noc::model {

enum class Severity : std::uint8_t { kError, kWarning };

/// Every rule the generator applies to a design. Errors end a generation; warnings are what
/// generates but gives hardware that is likely wrong. Each has one row in the table of
/// diagnostics.cc: its code, its severity and what it is about.
enum class Rule : std::uint8_t {
  kNoDescription,
  kInvalidDescription,
  kRecordNotObject,
  kIsRouterMissing,
  kNeighborsMissing,
  kNeighborsNotArray,
  kSourceNameMissing,
  kSourceNameNotText,
  kUnknownNeighbour,
  kRouterWithoutNumber,
  kRouterNumberNotDecimal,
  kNameNotIdentifier,
  kNoEndpoint,
  kSourceProblem,
  kNoRouterNeighbour,
  kNoTile,
  kTileNoNocOutput,
  kTilePortFields,
  kNoRouterOutputFacesTile,
  kPortLineShort,
  kNotMirrored,
  kListsItself,
  kDifferentPrefixes,
  kNumberNotPlain,
  kSameNumber,
  kTileListedTwice,
  kTileSourcesDiffer,
  kIsRouterNotBoolean,
  kNameGivenTwice,
  kMemberGivenTwice,
  kTileNotListed,
  kUnconnectablePort,
  kRouterSourceDiffers,
  kPortWithoutPartner,
  kSourceWarning,
  kTypedNocPort,
  kRouterClockNotNamed,
  kTileWithoutResetInput,
  kTileWithoutConfig,
  kDimensionNamesOwnParameter,
  kMoreTilesThanDests,
  kDescriptionNameTwice,
  kLinkWireTwice,
  kTileListsStranger,
  kTileListsNoRouter,
  kRouterParameterMissing,
  kTileIsRouter,
  kTilePortMissing,
  kTilePortWidth,
  kTilePortOpen,
  kTileDimensionDiffers,
  kParameterNotPassed,
  kDimensionNeedsPackage,
  kFolderUnlisted,
  kRoutesUnsound,
  kRoutesUnset,
  kChannelsNotTwo,
  kCount,
};

struct RuleInfo {
  Rule rule;
  const char* code;  ///< stable: "NOC" and a number, for scripts and suppression lists
  Severity severity;
  const char* summary;  ///< what the rule is about, for listings
  const char* example;  ///< a design that breaks it, for nocgen explain
  const char* fix;      ///< what to change
};

const RuleInfo& rule_info(Rule rule);
/// Every rule, in code order.
const std::vector<RuleInfo>& all_rules();

/// One problem, located at the node or member of the description it concerns, or at the
/// construct of a source.
struct Diagnostic {
  Rule rule = Rule::kSourceProblem;
  std::string file;
  int line = 0;  ///< 1-based; 0 when the problem has no place in the file
  int column = 0;
  std::string node;   ///< the node at fault; empty for problems of the whole description
  std::string other;  ///< a second node the problem involves (the far end of a link), or empty
  std::string message;
  int errno_value = 0;      ///< the system's error number when a file could not be read
  bool made_error = false;  ///< a warning the user asked to be an error (-Werror=NOCxxx)

  Severity severity() const { return made_error ? Severity::kError : rule_info(rule).severity; }
  const char* code() const { return rule_info(rule).code; }
};

const char* severity_name(Severity severity);

/// The message with the node it concerns in front: `node "R_3": message`.
std::string full_message(const Diagnostic& diagnostic);

/// "FILE:LINE:COL: error: node "R_3": message [NOC012]", the form compilers print and editors
/// and CI annotate. Generation's error and check's line for one problem are this same text.
std::string render(const Diagnostic& diagnostic);

/// The generator's error for a diagnostic: what() is render(diagnostic).
Error to_error(const Diagnostic& diagnostic);

/// A diagnostic for an error thrown while reading a file, located where the error says.
Diagnostic from_error(Rule rule, const Error& error, std::string node = {});

/// The rule of a code ("NOC124"); nothing for a text that is no rule's code.
std::optional<Rule> rule_by_code(std::string_view code);

/// What the user asked of warnings: rules whose warnings are dropped (-Wno-NOC124) and rules
/// whose warnings are errors (-Werror=NOC124). Errors cannot be waived: each is a top that
/// would be wrong.
struct WarningPolicy {
  std::vector<Rule> waived;
  std::vector<Rule> made_errors;

  /// False when the diagnostic is waived; otherwise marks it an error when asked.
  bool apply(Diagnostic& diagnostic) const;
};

/// Reads one "-Wno-NOCxxx" or "-Werror=NOCxxx" argument into `policy`. False when the argument
/// is neither form; an Error for a code that is no rule's, or an error's code given to -Wno-.
bool read_warning_flag(std::string_view argument, WarningPolicy& policy);

/// Adds codes given by name ("NOC124") to the waived rules, with the errors of read_warning_flag.
void waive_codes(const std::vector<std::string>& codes, WarningPolicy& policy);

/// The diagnostics of one run, in the order in which the run met them: a generation stops at
/// the first error, a check reports them all. The user's warning policy applies as they come.
class DiagnosticSink {
 public:
  DiagnosticSink() = default;
  explicit DiagnosticSink(WarningPolicy policy) : policy_(std::move(policy)) {}
  void add(Diagnostic diagnostic) {
    if (policy_.apply(diagnostic)) list_.push_back(std::move(diagnostic));
  }
  bool has_error() const { return first_error() != nullptr; }
  const Diagnostic* first_error() const;
  const std::vector<Diagnostic>& list() const { return list_; }
  std::vector<Diagnostic> take() { return std::move(list_); }

 private:
  WarningPolicy policy_;
  std::vector<Diagnostic> list_;
};

}  // namespace noc::model
