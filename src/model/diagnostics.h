#pragma once

#include <cstdint>
#include <string>
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
  kCount,
};

struct RuleInfo {
  Rule rule;
  const char* code;  ///< stable: "NOC" and a number, for scripts and suppression lists
  Severity severity;
  const char* summary;  ///< what the rule is about, for listings
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
  int errno_value = 0;  ///< the system's error number when a file could not be read

  Severity severity() const { return rule_info(rule).severity; }
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

/// The diagnostics of one run, in the order in which the run met them: a generation stops at
/// the first error, a check reports them all.
class DiagnosticSink {
 public:
  void add(Diagnostic diagnostic) { list_.push_back(std::move(diagnostic)); }
  bool has_error() const { return first_error() != nullptr; }
  const Diagnostic* first_error() const;
  const std::vector<Diagnostic>& list() const { return list_; }
  std::vector<Diagnostic> take() { return std::move(list_); }

 private:
  std::vector<Diagnostic> list_;
};

}  // namespace noc::model
