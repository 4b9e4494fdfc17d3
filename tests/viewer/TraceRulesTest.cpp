// The window's rules: which messages they keep, hide and colour, and how they are written down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/TraceLine.h"
#include "viewer/TraceRules.h"

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
    {"hello: loaded|0|.|.|.", "zeb-host"},       // 0
    {"Indent 4 lines|0|.|.|.", "zeb-host"},      // 1
    {"indent by 2|0|.|.|.", "zeb-ide"},          // 2
    {"error 42: no file|0|.|.|.", "zeb-ide"},    // 3
    {"x=5 name=a\\tb|0|.|.|.", "zeb-trace"},     // 4
};

TEST(TraceRules, KeepAndHideMessages) {
  const struct {
    const char* name;
    std::vector<TraceRule> rules;
    std::string quick;
    std::vector<bool> shown;
  } rows[] = {
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
      {"a regex that would backtrack for long", {Rule(kKeep, "(a|aa)*b", true)}, "",
       {0, 0, 1, 0, 1}},
      {"keep a process", {Rule(kKeep, "zeb-ide", false, kProcess)}, "", {0, 0, 1, 1, 0}},
      {"hide a process by regex", {Rule(kHide, "^zeb-(host|trace)$", true, kProcess)}, "",
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
      {"a pattern that does not compile does nothing", {Rule(kKeep, "(unclosed", true)}, "",
       {1, 1, 1, 1, 1}},
      {"the quick filter, with the rules", {Rule(kHide, "by 2")}, "indent", {0, 1, 0, 0, 0}},
      {"highlights filter nothing", {Rule(TraceRule::Action::Highlight, "hello")}, "",
       {1, 1, 1, 1, 1}},
  };
  for (const auto& row : rows) {
    const TraceRuleSet set(row.rules, row.quick);
    std::vector<bool> shown;
    // Twice over, so that what is kept per sender is asked again.
    for (int round = 0; round < 2; ++round) {
      shown.clear();
      for (std::uint32_t i = 0; i < std::size(kMessages); ++i) {
        const std::string process = kMessages[i].process;
        const auto sender = static_cast<std::uint32_t>(process == "zeb-host" ? 0
                                                       : process == "zeb-ide" ? 1
                                                                              : 2);
        shown.push_back(set.Shows(kMessages[i].text, process, sender));
      }
      EXPECT_EQ(shown, row.shown) << row.name;
    }
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
  for (const char* bad : {"", "rule", "rule\t1\tkeep\tmessage\ttext\t0\t-\t-",
                          "rule\t2\tkeep\tmessage\ttext\t0\t-\t-\tx",
                          "rule\t1\tshow\tmessage\ttext\t0\t-\t-\tx",
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
