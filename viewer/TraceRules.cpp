#include "viewer/TraceRules.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "viewer/TraceGrep.h"
#include "viewer/TraceLine.h"
#include "viewer/Viewer.h"

namespace zeb {

namespace {

constexpr std::int8_t kKept = 1;
constexpr std::int8_t kHidden = 2;

char Fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct FoldedHash {
  std::size_t operator()(char c) const { return std::hash<char>()(Fold(c)); }
};
struct FoldedEqual {
  bool operator()(char a, char b) const { return Fold(a) == Fold(b); }
};

const char* ActionName(TraceRule::Action a) {
  switch (a) {
    case TraceRule::Action::Keep:
      return "keep";
    case TraceRule::Action::Hide:
      return "hide";
    case TraceRule::Action::Highlight:
      return "highlight";
  }
  return "keep";
}

std::string Colour(std::uint32_t colour) {
  if (colour == kNoColour) return "-";
  char text[8];
  std::snprintf(text, sizeof text, "%06X", colour & 0xFFFFFFU);
  return text;
}

std::optional<std::uint32_t> ColourFrom(std::string_view text) {
  if (text == "-") return kNoColour;
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.size() != 6 || ec != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> Flag(std::string_view text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

}  // namespace

// A rule's test: a regular expression, or a text found with Horspool's method (the case of ASCII
// letters folded unless it counts).
struct TraceRuleSet::Matcher {
  std::optional<TraceGrep> grep;
  std::string needle;
  std::optional<std::boyer_moore_horspool_searcher<std::string::const_iterator>> exact;
  std::optional<
      std::boyer_moore_horspool_searcher<std::string::const_iterator, FoldedHash, FoldedEqual>>
      folded;

  explicit Matcher(const TraceRule& rule) : needle(rule.pattern) {
    if (rule.regex) {
      grep.emplace(rule.pattern, rule.caseSensitive);
    } else if (rule.caseSensitive) {
      exact.emplace(needle.begin(), needle.end());
    } else {
      folded.emplace(needle.begin(), needle.end(), FoldedHash(), FoldedEqual());
    }
  }
  Matcher(const Matcher&) = delete;
  Matcher& operator=(const Matcher&) = delete;

  bool operator()(std::string_view text) const {
    if (grep) return grep->Matches(text);
    if (needle.empty()) return true;
    if (exact) return std::search(text.begin(), text.end(), *exact) != text.end();
    return std::search(text.begin(), text.end(), *folded) != text.end();
  }
};

std::string RuleToText(const TraceRule& rule) {
  std::string line = "rule\t";
  line += rule.enabled ? "1\t" : "0\t";
  line += ActionName(rule.action);
  line += rule.field == TraceRule::Field::Message ? "\tmessage\t" : "\tprocess\t";
  line += rule.regex ? "regex\t" : "text\t";
  line += rule.caseSensitive ? "1\t" : "0\t";
  line += Colour(rule.foreground) + "\t" + Colour(rule.background) + "\t";
  return line + MakeVisible(rule.pattern);
}

std::optional<TraceRule> RuleFromText(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (fields.size() != 9 || fields[0] != "rule") return std::nullopt;
  TraceRule rule;
  const auto enabled = Flag(fields[1]);
  const auto caseSensitive = Flag(fields[5]);
  const auto foreground = ColourFrom(fields[6]);
  const auto background = ColourFrom(fields[7]);
  auto pattern = FromVisible(fields[8]);
  if (!enabled || !caseSensitive || !foreground || !background || !pattern) return std::nullopt;
  if (fields[2] == "keep") {
    rule.action = TraceRule::Action::Keep;
  } else if (fields[2] == "hide") {
    rule.action = TraceRule::Action::Hide;
  } else if (fields[2] == "highlight") {
    rule.action = TraceRule::Action::Highlight;
  } else {
    return std::nullopt;
  }
  if (fields[3] == "message") {
    rule.field = TraceRule::Field::Message;
  } else if (fields[3] == "process") {
    rule.field = TraceRule::Field::Process;
  } else {
    return std::nullopt;
  }
  if (fields[4] != "text" && fields[4] != "regex") return std::nullopt;
  rule.regex = fields[4] == "regex";
  rule.enabled = *enabled;
  rule.caseSensitive = *caseSensitive;
  rule.foreground = *foreground;
  rule.background = *background;
  rule.pattern = std::move(*pattern);
  return rule;
}

TraceRuleSet::TraceRuleSet() = default;
TraceRuleSet::~TraceRuleSet() = default;
TraceRuleSet::TraceRuleSet(TraceRuleSet&&) noexcept = default;
TraceRuleSet& TraceRuleSet::operator=(TraceRuleSet&&) noexcept = default;

TraceRuleSet::TraceRuleSet(std::vector<TraceRule> rules, std::string quickFilter)
    : rules_(std::move(rules)), quickFilter_(std::move(quickFilter)) {
  problems_.resize(rules_.size());
  matchers_.resize(rules_.size());
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    const TraceRule& rule = rules_[i];
    try {
      matchers_[i] = std::make_unique<Matcher>(rule);
    } catch (const ViewerError& e) {
      problems_[i] = e.what();
      continue;
    }
    if (!rule.enabled) continue;
    const bool onProcess = rule.field == TraceRule::Field::Process;
    switch (rule.action) {
      case TraceRule::Action::Keep:
        (onProcess ? keepProcess_ : keepText_).push_back(i);
        break;
      case TraceRule::Action::Hide:
        (onProcess ? hideProcess_ : hideText_).push_back(i);
        break;
      case TraceRule::Action::Highlight:
        highlight_.push_back(i);
        break;
    }
  }
  if (!quickFilter_.empty()) {
    TraceRule quick;
    quick.pattern = quickFilter_;
    quick_ = std::make_unique<Matcher>(quick);
  }
}

bool TraceRuleSet::Filters() const {
  return quick_ != nullptr || !keepText_.empty() || !keepProcess_.empty() || !hideText_.empty() ||
         !hideProcess_.empty();
}

bool TraceRuleSet::Matches(std::size_t rule, std::string_view text,
                           std::string_view process) const {
  return (*matchers_[rule])(rules_[rule].field == TraceRule::Field::Message ? text : process);
}

bool TraceRuleSet::Shows(std::string_view text, std::string_view process,
                         std::uint32_t sender) const {
  if (quick_ != nullptr && !(*quick_)(text)) return false;
  std::int8_t bySender = 0;
  if (!keepProcess_.empty() || !hideProcess_.empty()) {
    if (sender >= bySender_.size()) bySender_.resize(sender + 1, -1);
    if (bySender_[sender] < 0) {
      std::int8_t verdict = 0;
      for (const std::size_t i : keepProcess_)
        if (Matches(i, text, process)) verdict |= kKept;
      for (const std::size_t i : hideProcess_)
        if (Matches(i, text, process)) verdict |= kHidden;
      bySender_[sender] = verdict;
    }
    bySender = bySender_[sender];
  }
  if ((bySender & kHidden) != 0) return false;
  for (const std::size_t i : hideText_)
    if (Matches(i, text, process)) return false;
  if (keepText_.empty() && keepProcess_.empty()) return true;
  if ((bySender & kKept) != 0) return true;
  for (const std::size_t i : keepText_)
    if (Matches(i, text, process)) return true;
  return false;
}

const TraceRule* TraceRuleSet::Highlight(std::string_view text, std::string_view process) const {
  for (const std::size_t i : highlight_)
    if (Matches(i, text, process)) return &rules_[i];
  return nullptr;
}

}  // namespace zeb
