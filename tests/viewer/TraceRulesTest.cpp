// The window's rules: which messages they keep, hide and colour, and how they are written down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/TraceLine.h"
#include "viewer/TraceRules.h"
#include "viewer/TraceStore.h"

namespace zeb {

namespace {

TraceRule Rule(TraceRule::Action action, std::string pattern, bool regex = false,
               TraceRule::Field field = TraceRule::Field::Message) {
  TraceRule r;
  r.action = action;
  r.pattern = std::move(pattern);
  r.regex = regex;
  r.field = field;
  return r;
}

constexpr auto kKeep = TraceRule::Action::Keep;
constexpr auto kHide = TraceRule::Action::Hide;
constexpr auto kProcess = TraceRule::Field::Process;

struct Message {
  const char* text;
  const char* process;
};

// Five messages from two processes; each row says which of them a rule set shows.
const Message kMessages[] = {
    {"hello: loaded|0|.|.|.", "zeb-host"},     // 0
    {"Indent 4 lines|0|.|.|.", "zeb-host"},    // 1
    {"indent by 2|0|.|.|.", "zeb-ide"},        // 2
    {"error 42: no file|0|.|.|.", "zeb-ide"},  // 3
    {"x=5 name=a\\tb|0|.|.|.", "zeb-trace"},   // 4
};

struct RulesRow {
  const char* name;
  std::vector<TraceRule> rules;
  std::string quick;
  std::vector<bool> shown;
};

std::vector<RulesRow> RulesRows() {
  return {
      {"no rules", {}, "", {1, 1, 1, 1, 1}},
      {"keep text, any case", {Rule(kKeep, "INDENT")}, "", {0, 1, 1, 0, 0}},
      {"keep text, case counts",
       {[] {
         TraceRule r = Rule(kKeep, "Indent");
         r.caseSensitive = true;
         return r;
       }()},
       "",
       {0, 1, 0, 0, 0}},
      {"two keeps: either", {Rule(kKeep, "hello"), Rule(kKeep, "error")}, "", {1, 0, 0, 1, 0}},
      {"hide wins over keep", {Rule(kKeep, "indent"), Rule(kHide, "by 2")}, "", {0, 1, 0, 0, 0}},
      {"hide alone", {Rule(kHide, "|0|")}, "", {0, 0, 0, 0, 0}},
      {"regex, any case", {Rule(kKeep, "^[a-z]+ [0-9]+", true)}, "", {0, 1, 0, 1, 0}},
      {"regex, escaped tab as shown", {Rule(kKeep, R"(a\\tb)", true)}, "", {0, 0, 0, 0, 1}},
      {"a regex that would backtrack for long",
       {Rule(kKeep, "(a|aa)*b", true)},
       "",
       {0, 0, 1, 0, 1}},
      {"keep a process", {Rule(kKeep, "zeb-ide", false, kProcess)}, "", {0, 0, 1, 1, 0}},
      {"hide a process by regex",
       {Rule(kHide, "^zeb-(host|trace)$", true, kProcess)},
       "",
       {0, 0, 1, 1, 0}},
      {"keep a process or a text",
       {Rule(kKeep, "zeb-trace", false, kProcess), Rule(kKeep, "hello")},
       "",
       {1, 0, 0, 0, 1}},
      {"a disabled rule does nothing",
       {[] {
         TraceRule r = Rule(kHide, "hello");
         r.enabled = false;
         return r;
       }()},
       "",
       {1, 1, 1, 1, 1}},
      {"a pattern that does not compile does nothing",
       {Rule(kKeep, "(unclosed", true)},
       "",
       {1, 1, 1, 1, 1}},
      {"the quick filter, with the rules", {Rule(kHide, "by 2")}, "indent", {0, 1, 0, 0, 0}},
      {"highlights filter nothing",
       {Rule(TraceRule::Action::Highlight, "hello")},
       "",
       {1, 1, 1, 1, 1}},
      {"anchored at the text's ends",
       {Rule(kKeep, "^idle$|^error|[.]$", true)},
       "",
       {1, 1, 1, 1, 1}},
      {"a class that would take a line end",
       {Rule(kKeep, "[.][^q]*x=5", true)},
       "",
       {0, 0, 0, 0, 0}},
  };
}

TEST(TraceRules, KeepAndHideMessages) {
  for (const RulesRow& row : RulesRows()) {
    const TraceRuleSet set(row.rules, row.quick);
    std::vector<bool> shown;
    // Twice over, so that what is kept per sender is asked again.
    for (int round = 0; round < 2; ++round) {
      shown.clear();
      for (std::uint32_t i = 0; i < std::size(kMessages); ++i) {
        const std::string process = kMessages[i].process;
        const auto sender = static_cast<std::uint32_t>(process == "zeb-host"  ? 0
                                                       : process == "zeb-ide" ? 1
                                                                              : 2);
        shown.push_back(set.Shows(kMessages[i].text, process, sender));
      }
      EXPECT_EQ(shown, row.shown) << row.name;
    }
  }
}

// Judging a store's messages many at a time (a search over each chunk of text) says what asking
// of each message says, whatever the chunks and however dense the matches.
TEST(TraceRules, JudgingManyAtOnceAgreesWithEachMessage) {
  TraceStore store;
  std::vector<std::uint32_t> index;  // of each held message in kMessages
  for (std::uint32_t n = 0; n < 60'000; ++n) {
    const auto i = static_cast<std::uint32_t>((n * 7 + n / 5) % std::size(kMessages));
    TraceMessage m;
    m.pid = static_cast<std::int64_t>(i);
    m.processName = kMessages[i].process;
    m.text = FromVisible(kMessages[i].text).value();
    if (n % 97 == 0) m.text.insert(0, std::string(n % 3000, 'p'));  // texts across chunk ends
    store.Add(m);
    index.push_back(i);
  }
  for (const RulesRow& row : RulesRows()) {
    const TraceRuleSet set(row.rules, row.quick);
    std::vector<std::uint64_t> judged;
    set.Judge(store, store.First(), store.End(), judged);
    std::vector<std::uint64_t> each;
    for (std::uint64_t s = store.First(); s < store.End(); ++s) {
      const TraceStore::Entry& e = store.At(s);
      if (set.Shows(store.Text(e), store.SenderOf(e).name, e.sender)) each.push_back(s);
    }
    EXPECT_EQ(judged, each) << row.name;
  }
}

TEST(TraceRules, TheFirstMatchingHighlightColours) {
  TraceRule red = Rule(TraceRule::Action::Highlight, "error");
  red.background = 0xFF0000;
  TraceRule blue = Rule(TraceRule::Action::Highlight, "zeb-ide", false, kProcess);
  blue.foreground = 0x0000FF;
  const TraceRuleSet set({red, blue, Rule(kHide, "hello")});
  EXPECT_EQ(set.Highlight(kMessages[3].text, kMessages[3].process), &set.Rules()[0]);
  EXPECT_EQ(set.Highlight(kMessages[2].text, kMessages[2].process), &set.Rules()[1]);
  EXPECT_EQ(set.Highlight(kMessages[0].text, kMessages[0].process), nullptr);
}

TEST(TraceRules, SayWhyAPatternDoesNothing) {
  const TraceRuleSet set({Rule(kKeep, "ok", true), Rule(kKeep, "a)(b", true), Rule(kKeep, "(")});
  ASSERT_EQ(set.Problems().size(), 3U);
  EXPECT_TRUE(set.Problems()[0].empty());
  EXPECT_FALSE(set.Problems()[1].empty());
  EXPECT_TRUE(set.Problems()[2].empty()) << "a text rule's pattern is no regular expression";
}

TEST(TraceRules, AreWrittenAsOneLineAndReadBack) {
  TraceRule odd = Rule(TraceRule::Action::Highlight, "tab\there\\d+ \x1b[1m|0|", true, kProcess);
  odd.enabled = false;
  odd.caseSensitive = true;
  odd.foreground = 0x123456;
  const std::vector<TraceRule> rules = {TraceRule(), Rule(kHide, "x"), odd};
  for (const TraceRule& rule : rules) {
    const std::string line = RuleToText(rule);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(RuleFromText(line), rule) << line;
  }
  EXPECT_EQ(RuleToText(odd),
            "rule\t0\thighlight\tprocess\tregex\t1\t123456\t-\ttab\\there\\\\d+ \\x1B[1m|0|");
  for (const char* bad :
       {"", "rule", "rule\t1\tkeep\tmessage\ttext\t0\t-\t-",
        "rule\t2\tkeep\tmessage\ttext\t0\t-\t-\tx", "rule\t1\tshow\tmessage\ttext\t0\t-\t-\tx",
        "rule\t1\tkeep\tmessage\ttext\t0\tred\t-\tx",
        "rule\t1\tkeep\tmessage\ttext\t0\t-\t-\tlone\\"}) {
    EXPECT_FALSE(RuleFromText(bad)) << bad;
  }
}

TEST(TraceText, VisibleTextReadsBackAndTheContextSplitsFromTheRight) {
  for (const std::string& text : {std::string("plain"), std::string("a\\b\n\t\r", 7),
                                  std::string("nul\0x\x1b\x7f\xc2\x9b\x9b\xea\xb0\x80", 13)}) {
    EXPECT_EQ(FromVisible(MakeVisible(text)), text);
  }
  for (const char* bad : {"\\", "\\q", "\\x4", "\\xZZ", "\\u0041"})
    EXPECT_FALSE(FromVisible(bad)) << bad;

  const struct {
    const char* in;
    const char* text;
    const char* context;
  } rows[] = {
      {"x=5|0|.|.|.", "x=5", "0|.|.|."},
      {"a|b|0|.|.|.", "a|b", "0|.|.|."},
      {"|0|.|.|.", "", "0|.|.|."},
      {"no suffix", "no suffix", ""},
      {"a|b|c|d", "a|b|c|d", ""},  // three bars: no suffix
      {"", "", ""},
  };
  for (const auto& row : rows) {
    const TraceTextParts parts = SplitTraceContext(row.in);
    EXPECT_EQ(parts.text, row.text) << row.in;
    EXPECT_EQ(parts.context, row.context) << row.in;
  }
}

}  // namespace

}  // namespace zeb
