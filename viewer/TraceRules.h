// What a trace view shows and how: rules that keep or hide messages and rules that colour them,
// matched against a message's visible text or its sender's process name, by text or by regular
// expression.
//
// A message is shown when it matches no enabled hide rule and, if there are enabled keep rules,
// at least one of them (and the quick filter, when one is typed): hiding wins over keeping, as
// users of such filters expect. The first enabled highlight rule that matches gives its colours.
// Text rules find the text anywhere, ignoring the case of ASCII letters unless told otherwise;
// regular expressions are TraceGrep's (RE2 on Linux: linear time, so that no pattern stalls the
// view). A rule whose pattern does not compile does nothing and says why.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

class TraceStore;

inline constexpr std::uint32_t kNoColour = 0xFFFFFFFFU;

struct TraceRule {
  enum class Action { Keep, Hide, Highlight };
  enum class Field { Message, Process };
  bool enabled = true;
  Action action = Action::Keep;
  Field field = Field::Message;
  bool regex = false;
  bool caseSensitive = false;
  std::string pattern;
  std::uint32_t foreground = kNoColour;  // 0xRRGGBB, or kNoColour
  std::uint32_t background = kNoColour;

  friend bool operator==(const TraceRule&, const TraceRule&) = default;
};

// One rule as a line of tab-separated fields (no line end), for logs and settings:
// "rule ENABLED ACTION FIELD MATCH CASE FOREGROUND BACKGROUND PATTERN", the pattern escaped as
// MakeVisible does so that it holds no tab.
std::string RuleToText(const TraceRule& rule);
// nullopt when `line` is not such a line.
std::optional<TraceRule> RuleFromText(std::string_view line);

class TraceRuleSet {
 public:
  TraceRuleSet();
  // `quickFilter`: text a message must hold too (ignoring case), none when empty.
  explicit TraceRuleSet(std::vector<TraceRule> rules, std::string quickFilter = {});
  ~TraceRuleSet();
  TraceRuleSet(TraceRuleSet&&) noexcept;
  TraceRuleSet& operator=(TraceRuleSet&&) noexcept;

  const std::vector<TraceRule>& Rules() const { return rules_; }
  const std::string& QuickFilter() const { return quickFilter_; }
  // Why each rule does nothing (its pattern does not compile), or empty; one per rule.
  const std::vector<std::string>& Problems() const { return problems_; }
  // Some message may be hidden.
  bool Filters() const;

  // `process` is the sender's visible name; `sender` a number that stands for it and for no
  // other sender (a sender's results are kept by it, since process rules ask the same of each
  // of its messages).
  bool Shows(std::string_view text, std::string_view process, std::uint32_t sender) const;
  // Appends to `shown` the held messages of [from, to) that the rules show, in order: what Shows
  // says of each, found by searching the store's chunks of text for each rule in one pass.
  void Judge(const TraceStore& store, std::uint64_t from, std::uint64_t to,
             std::vector<std::uint64_t>& shown) const;
  // The rule that colours the message, or nullptr.
  const TraceRule* Highlight(std::string_view text, std::string_view process) const;

 private:
  struct Matcher;
  // Sets `bit` in marks[k - base] for each message k of [from, to) that `matcher` finds.
  void Mark(const Matcher& matcher, const TraceStore& store, std::uint64_t from, std::uint64_t to,
            std::uint8_t bit, std::vector<std::uint8_t>& marks, std::uint64_t base) const;
  // What the process rules say of the sender `who` (a number no other sender had), kept in the
  // place `slot`, which senders take in turn.
  std::int8_t BySender(std::uint32_t slot, std::uint64_t who, std::string_view process) const;
  bool Matches(std::size_t rule, std::string_view text, std::string_view process) const;

  std::vector<TraceRule> rules_;
  std::string quickFilter_;
  std::vector<std::string> problems_;
  std::vector<std::unique_ptr<Matcher>> matchers_;  // null for a rule that does nothing
  std::unique_ptr<Matcher> quick_;
  // The enabled rules that work, by what they do and look at.
  std::vector<std::size_t> keepText_, keepProcess_, hideText_, hideProcess_, highlight_;
  // What the process rules said of the sender last seen in each place: kKept | kHidden bits.
  struct SenderVerdict {
    std::uint64_t who = 0;
    std::int8_t verdict = -1;  // not known yet
  };
  mutable std::vector<SenderVerdict> bySender_;
};

}  // namespace zeb
