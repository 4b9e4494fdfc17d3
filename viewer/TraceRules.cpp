#include "viewer/TraceRules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <thread>

#include "viewer/TraceGrep.h"
#include "viewer/TraceLine.h"
#include "viewer/TraceStore.h"
#include "viewer/Viewer.h"

namespace zeb {

namespace {

// Judged in two halves at once from this many messages on.
constexpr std::uint64_t kParallelJudge = 50'000;

constexpr std::int8_t kKept = 1;
constexpr std::int8_t kHidden = 2;

char Fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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

// A rule's test: a regular expression, or a text: found as it is when case counts, else with
// Horspool's method over ASCII letters folded to lower case (its table of shifts makes a search
// cost about the text's length divided by the needle's).
struct TraceRuleSet::Matcher {
  std::optional<TraceGrep> grep;
  std::string needle;  // folded unless case counts
  bool caseSensitive = true;
  std::array<std::size_t, 256> shift{};

  explicit Matcher(const TraceRule& rule)
      : needle(rule.pattern), caseSensitive(rule.caseSensitive) {
    if (rule.regex) {
      grep.emplace(rule.pattern, rule.caseSensitive);
      return;
    }
    if (caseSensitive) return;
    for (char& c : needle)
      c = Fold(c);
    shift.fill(needle.size());
    for (std::size_t i = 0; i + 1 < needle.size(); ++i) {
      const auto byte = static_cast<unsigned char>(needle[i]);
      shift[byte] = needle.size() - 1 - i;
      // An upper-case letter in the text shifts as its lower case does.
      if (byte >= 'a' && byte <= 'z') shift[byte - 'a' + 'A'] = needle.size() - 1 - i;
    }
  }

  bool operator()(std::string_view text) const {
    if (grep) return grep->Matches(text);
    return Find(text, 0) != std::string_view::npos;
  }

  // Where the first match in `text` (lines, each ended by a line feed) starts, from `from`.
  std::size_t Find(std::string_view text, std::size_t from) const {
    if (grep) return grep->Find(text, from);
    if (needle.empty()) return from < text.size() ? from : std::string_view::npos;
    // A visible text holds no line feed, nor can a match span two lines.
    if (needle.find('\n') != std::string::npos) return std::string_view::npos;
    if (caseSensitive) return text.find(needle, from);
    const std::size_t last = needle.size() - 1;
    for (std::size_t at = from; at + last < text.size();
         at += shift[static_cast<unsigned char>(text[at + last])]) {
      std::size_t i = last;
      while (Fold(text[at + i]) == needle[i]) {
        if (i == 0) return at;
        --i;
      }
    }
    return std::string_view::npos;
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

std::int8_t TraceRuleSet::BySender(std::uint32_t slot, std::uint64_t who,
                                   std::string_view process) const {
  if (keepProcess_.empty() && hideProcess_.empty()) return 0;
  if (slot >= bySender_.size()) bySender_.resize(slot + 1);
  SenderVerdict& kept = bySender_[slot];
  if (kept.verdict < 0 || kept.who != who) {
    std::int8_t verdict = 0;
    for (const std::size_t i : keepProcess_)
      if ((*matchers_[i])(process)) verdict |= kKept;
    for (const std::size_t i : hideProcess_)
      if ((*matchers_[i])(process)) verdict |= kHidden;
    kept = {who, verdict};
  }
  return kept.verdict;
}

bool TraceRuleSet::Shows(std::string_view text, std::string_view process,
                         std::uint32_t sender) const {
  if (quick_ != nullptr && !(*quick_)(text)) return false;
  const std::int8_t bySender = BySender(sender, sender, process);
  if ((bySender & kHidden) != 0) return false;
  for (const std::size_t i : hideText_)
    if (Matches(i, text, process)) return false;
  if (keepText_.empty() && keepProcess_.empty()) return true;
  if ((bySender & kKept) != 0) return true;
  for (const std::size_t i : keepText_)
    if (Matches(i, text, process)) return true;
  return false;
}

void TraceRuleSet::Mark(const Matcher& matcher, const TraceStore& store, std::uint64_t from,
                        std::uint64_t to, std::uint8_t bit, std::vector<std::uint8_t>& marks,
                        std::uint64_t base) const {
  for (std::uint64_t first = from; first < to;) {
    std::uint64_t end = first;
    const std::string_view lines = store.Lines(first, to, end);
    const std::uint32_t start = store.At(first).offset;
    // The message whose line holds `at`: the last of [k, end) starting at or before it.
    const auto holding = [&](std::uint64_t k, std::size_t at) {
      std::uint64_t low = k + 1, high = end;
      while (low < high) {
        const std::uint64_t middle = low + (high - low) / 2;
        if (store.At(middle).offset - start <= at) {
          low = middle + 1;
        } else {
          high = middle;
        }
      }
      return low - 1;
    };
    std::uint64_t k = first;
    std::size_t found = 0;
    for (std::size_t at = 0; k < end;) {
      at = matcher.Find(lines, at);
      if (at == std::string_view::npos) break;
      k = holding(k, at);
      marks[k - base] |= bit;
      const TraceStore::Entry& e = store.At(k);
      at = e.offset + e.length + 1 - start;
      ++k;
      // Where most messages match, a search per message costs less than one per match.
      if (++found >= 64 && found * 4 > k - first) {
        for (; k < end; ++k)
          if (matcher(store.Text(store.At(k)))) marks[k - base] |= bit;
      }
    }
    first = end;
  }
}

void TraceRuleSet::Judge(const TraceStore& store, std::uint64_t from, std::uint64_t to,
                         std::vector<std::uint64_t>& shown) const {
  if (from >= to) return;
  constexpr std::uint8_t kQuick = 1, kKeptText = 2, kHiddenText = 4;
  std::vector<std::uint8_t> marks(to - from, 0);
  // Each rule's search over [first, last): a part of the messages, marking only its own part.
  const auto search = [&](std::uint64_t first, std::uint64_t last) {
    if (quick_ != nullptr) Mark(*quick_, store, first, last, kQuick, marks, from);
    for (const std::size_t i : keepText_)
      Mark(*matchers_[i], store, first, last, kKeptText, marks, from);
    for (const std::size_t i : hideText_)
      Mark(*matchers_[i], store, first, last, kHiddenText, marks, from);
  };
  // Many messages (all of them again when the rules change) are searched in two halves at once:
  // the searches only read the store and the rules.
  if (to - from >= kParallelJudge && std::thread::hardware_concurrency() > 1) {
    const std::uint64_t middle = from + (to - from) / 2;
    std::thread other([&] { search(middle, to); });
    search(from, middle);
    other.join();
  } else {
    search(from, to);
  }
  const bool keeps = !keepText_.empty() || !keepProcess_.empty();
  const bool bySenders = !keepProcess_.empty() || !hideProcess_.empty();
  for (std::uint64_t k = from; k < to; ++k) {
    const std::uint8_t mark = marks[k - from];
    if (quick_ != nullptr && (mark & kQuick) == 0) continue;
    if ((mark & kHiddenText) != 0) continue;
    std::int8_t bySender = 0;
    if (bySenders) {
      const TraceStore::Entry& e = store.At(k);
      const TraceSender& sender = store.SenderOf(e);
      bySender = BySender(e.sender, sender.serial, sender.name);
      if ((bySender & kHidden) != 0) continue;
    }
    if (!keeps || (bySender & kKept) != 0 || (mark & kKeptText) != 0) shown.push_back(k);
  }
}

const TraceRule* TraceRuleSet::Highlight(std::string_view text, std::string_view process) const {
  for (const std::size_t i : highlight_)
    if (Matches(i, text, process)) return &rules_[i];
  return nullptr;
}

}  // namespace zeb
