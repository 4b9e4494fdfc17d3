// Format against Free Pascal's SysUtils.Format, which follows the same rules: a generated corpus
// of formats and arguments is written as a Pascal program, built with fpc and run; every result
// (or the fact that it raised) must agree.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/Format.h"

namespace zeb {

namespace {

// A small deterministic generator, so the corpus is the same with every standard library.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool OneIn(int n) { return Below(n) == 0; }

 private:
  std::uint64_t state_;
};

// An argument with both of its spellings: the C++ value and the Pascal expression.
struct Arg {
  TVarRec::Kind kind = TVarRec::Kind::Integer;
  std::int64_t integer = 0;
  double real = 0;
  std::string text;
  char ch = 0;
  std::uintptr_t pointer = 0;

  TVarRec Rec() const {
    switch (kind) {
      case TVarRec::Kind::Integer:
        return TVarRec(static_cast<std::int32_t>(integer));
      case TVarRec::Kind::Int64:
        return TVarRec(integer);
      case TVarRec::Kind::Extended:
        return TVarRec(real);
      case TVarRec::Kind::String:
        return TVarRec(std::string_view(text));
      case TVarRec::Kind::Char:
        return TVarRec(ch);
      case TVarRec::Kind::Pointer:
        return TVarRec(reinterpret_cast<const void*>(pointer));  // NOLINT
    }
    return TVarRec(0);
  }
};

std::string PascalString(std::string_view s) {
  if (s.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (char c : s) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte >= 127) {
      if (quoted) out += '\'';
      quoted = false;
      out += '#' + std::to_string(byte);
    } else {
      if (!quoted) out += '\'';
      quoted = true;
      out += c == '\'' ? std::string("''") : std::string(1, c);
    }
  }
  if (quoted) out += '\'';
  return out;
}

std::string Hex(std::uint64_t v) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "$%llX", static_cast<unsigned long long>(v));
  return buffer;
}

std::string PascalArg(const Arg& a) {
  switch (a.kind) {
    case TVarRec::Kind::Integer:
      return "L(" + Hex(static_cast<std::uint32_t>(a.integer)) + ")";
    case TVarRec::Kind::Int64:
      return "I(" + Hex(static_cast<std::uint64_t>(a.integer)) + ")";
    case TVarRec::Kind::Extended:
      return "F(" + Hex(std::bit_cast<std::uint64_t>(a.real)) + ")";
    case TVarRec::Kind::String:
      return "AnsiString(" + PascalString(a.text) + ")";
    case TVarRec::Kind::Char:
      return "AnsiChar(#" + std::to_string(static_cast<unsigned char>(a.ch)) + ")";
    case TVarRec::Kind::Pointer:
      return "Pointer(PtrUInt(" + Hex(a.pointer) + "))";
  }
  return {};
}

Arg IntArg(TVarRec::Kind kind, std::int64_t v) {
  Arg a;
  a.kind = kind;
  a.integer = v;
  return a;
}
Arg RealArg(double v) {
  Arg a;
  a.kind = TVarRec::Kind::Extended;
  a.real = v;
  return a;
}

Arg TextArg(std::string v) {
  Arg a;
  a.kind = TVarRec::Kind::String;
  a.text = std::move(v);
  return a;
}

struct Case {
  std::string fmt;
  std::vector<Arg> args;
};

class CorpusBuilder {
 public:
  explicit CorpusBuilder(std::uint64_t seed) : rng_(seed) {}

  Case Make() {
    Case c;
    const int conversions = 1 + rng_.Below(3);
    for (int i = 0; i < conversions; ++i) {
      if (rng_.OneIn(2)) c.fmt += kLiterals[rng_.Below(std::size(kLiterals))];
      AddConversion(c);
    }
    if (rng_.OneIn(3)) c.fmt += kLiterals[rng_.Below(std::size(kLiterals))];
    // Some cases do not fit their arguments: one too few, or one of the wrong kind.
    if (!c.args.empty() && rng_.OneIn(12)) c.args.pop_back();
    // Values for "*" are left alone: Free Pascal also takes a 64-bit one and truncates it.
    if (!c.args.empty() && rng_.OneIn(12)) {
      const auto at = static_cast<std::size_t>(rng_.Below(static_cast<int>(c.args.size())));
      if (!star_[at]) c.args[at] = ArgOfKind(static_cast<TVarRec::Kind>(rng_.Below(6)));
    }
    star_.clear();
    return c;
  }

 private:
  static constexpr const char* kLiterals[] = {"x=", " ", "|", "%%", "abc ", "[", "] "};

  void AddConversion(Case& c) {
    static constexpr char kTypes[] = {'d', 'u', 'x', 'e', 'f', 'g', 'n', 'm', 'p', 's', 'D', 'S'};
    const char type = kTypes[rng_.Below(std::size(kTypes))];
    const char lower = static_cast<char>(type | 0x20);
    std::string conversion = "%";
    if (rng_.OneIn(4)) conversion += '-';
    if (rng_.OneIn(3)) {
      if (rng_.OneIn(4)) {
        conversion += '*';
        Push(c, IntegerArg(rng_.Below(25)), true);
      } else {
        conversion += std::to_string(rng_.Below(25));
      }
    }
    // The value comes first, as the precision a fixed notation may show depends on it.
    Arg value;
    switch (lower) {
      case 'd':
      case 'u':
      case 'x':
        value = rng_.OneIn(3) ? ArgOfKind(TVarRec::Kind::Int64) : ArgOfKind(TVarRec::Kind::Integer);
        break;
      case 'p':
        value = ArgOfKind(TVarRec::Kind::Pointer);
        break;
      case 's':
        value = rng_.OneIn(4) ? ArgOfKind(TVarRec::Kind::Char) : ArgOfKind(TVarRec::Kind::String);
        break;
      case 'e':
      case 'g':
        value = RealArg(Real(true));
        break;
      default:
        value = ArgOfKind(TVarRec::Kind::Extended);
    }
    // e and g always get an explicit precision of at least 2: their default differs on purpose.
    // Fixed notations show at most 17 significant digits, hexadecimal at most 16 digits (see
    // IntendedDifferences).
    const bool needsPrecision = lower == 'e' || lower == 'g';
    if (needsPrecision || rng_.OneIn(2)) {
      int low = 0;
      int high = 20;
      if (needsPrecision) {
        low = 2;
        high = 17;
      } else if (lower == 'f' || lower == 'n' || lower == 'm') {
        const double magnitude = std::fabs(value.real);
        const int integerDigits = magnitude < 1 ? 1 : static_cast<int>(std::log10(magnitude)) + 1;
        high = std::max(0, 17 - integerDigits);
      } else if (lower == 'x') {
        high = 16;
      } else if (lower == 's') {
        high = 8;
      }
      // A dot alone is precision 0 (below the 2 digits e and g show at least).
      const bool bare = rng_.OneIn(6);
      const int precision = bare ? 0 : low + rng_.Below(high - low + 1);
      // Money with no decimals that rounds to zero keeps no sign (see IntendedDifferences).
      if (lower == 'm' && precision == 0 && std::fabs(value.real) < 0.5) {
        value.real = std::fabs(value.real);
      }
      conversion += '.';
      if (bare) {
      } else if (rng_.OneIn(5)) {
        conversion += '*';
        Push(c, IntegerArg(precision), true);
      } else {
        conversion += std::to_string(precision);
      }
    }
    conversion += type;
    c.fmt += conversion;
    Push(c, std::move(value));
  }

  void Push(Case& c, Arg a, bool star = false) {
    c.args.push_back(std::move(a));
    star_.push_back(star);
  }

  static Arg IntegerArg(std::int64_t v) { return IntArg(TVarRec::Kind::Integer, v); }

  // Fixed notation is compared below 1e17 only (see IntendedDifferences).
  double Real(bool huge = false) {
    double value = 0;
    do {
      value = AnyReal();
    } while (!huge && std::fabs(value) >= 1e17);
    return value;
  }

  double AnyReal() {
    static constexpr double kNotable[] = {
        0.0,     0.1,  0.125,   0.375,   2.5,    1.005, -0.004,     -0.005,
        1.0 / 3, 1e-5, 9.99e-6, 1e15,    1e17,   1e20,  123456.789, -1234.5,
        999.5,   0.5,  1e300,   -1e-300, 5e-324, 1e22,  99999.9999, 0.000125};
    if (rng_.OneIn(2)) return kNotable[rng_.Below(std::size(kNotable))];
    // A random mantissa at a random scale.
    const double mantissa = static_cast<double>(rng_.Next() % 100000000) / 1000.0;
    double scale = 1;
    const int exponent = rng_.Below(31) - 15;
    for (int i = 0; i < std::abs(exponent); ++i)
      scale *= 10;
    const double value = exponent < 0 ? mantissa / scale : mantissa * scale;
    return rng_.OneIn(3) ? -value : value;
  }

  Arg ArgOfKind(TVarRec::Kind kind) {
    static constexpr std::int64_t kIntegers[] = {
        0, 1, -1, 7, -3, 255, 4096, 2147483647, -2147483647 - 1};
    static constexpr std::int64_t kInt64s[] = {
        0, -1, 123456789012, -9223372036854775807 - 1, 9223372036854775807, 4294967296};
    static constexpr const char* kTexts[] = {"",     "abc",      "hello world",     "tab\there",
                                             "it's", "\x01\x7f", "0123456789abcdef"};
    Arg a = IntArg(kind, 0);
    switch (kind) {
      case TVarRec::Kind::Integer:
        a.integer = rng_.OneIn(2) ? kIntegers[rng_.Below(std::size(kIntegers))]
                                  : static_cast<std::int32_t>(rng_.Next());
        break;
      case TVarRec::Kind::Int64:
        a.integer = rng_.OneIn(2) ? kInt64s[rng_.Below(std::size(kInt64s))]
                                  : static_cast<std::int64_t>(rng_.Next());
        break;
      case TVarRec::Kind::Extended:
        a.real = Real();
        break;
      case TVarRec::Kind::String:
        a.text = kTexts[rng_.Below(std::size(kTexts))];
        if (rng_.OneIn(8)) a.text += std::string(1, '\0') + "after";
        break;
      case TVarRec::Kind::Char:
        a.ch = static_cast<char>(32 + rng_.Below(95));
        break;
      case TVarRec::Kind::Pointer:
        a.pointer = rng_.OneIn(4) ? 0 : static_cast<std::uintptr_t>(rng_.Next() >> 16);
        break;
    }
    return a;
  }

  Rng rng_;
  std::vector<bool> star_;
};

// The cases where the runtime's rules and Free Pascal's are meant to differ.
struct Difference {
  const char* why;
  Case c;
  const char* ours;  // nullptr: raises EConvertError
};
const std::vector<Difference>& IntendedDifferences() {
  static const std::vector<Difference> list = {
      // e and g default to 15 significant digits; Free Pascal's default shows 17.
      {"e default precision", {"%e", {RealArg(1.5)}}, "1.50000000000000E+000"},
      {"g default precision", {"%g", {RealArg(1.0 / 3)}}, "0.333333333333333"},
      // A conversion the runtime does not know, or a lone "%" at the end, raises: Free Pascal
      // drops it silently, which would hide a mistake in the format.
      {"unknown conversion", {"a%kb", {IntArg(TVarRec::Kind::Integer, 1)}}, nullptr},
      {"lone percent at the end", {"50%", {}}, nullptr},
      // From 1e17 up, Free Pascal's fixed notation shows digits of its own 80-bit arithmetic or
      // switches to an exponent; the runtime shows the exact value of the double.
      {"huge fixed", {"%.2f", {RealArg(1e23)}}, "99999999999999991611392.00"},
      {"many digits in fixed",
       {"%.14m", {RealArg(-8387177499999.9990234375)}},
       "-8,387,177,499,999.99902343750000$"},
      // A negative width from "*" is its magnitude here; Free Pascal pads some conversions to it
      // and not others.
      {"negative star width",
       {"%*s", {IntArg(TVarRec::Kind::Integer, -6), TextArg("ab")}},
       "    ab"},
      // A negative precision from "*" is none here; Free Pascal shows odd digits or nothing.
      {"negative star precision",
       {"%.*f|%.*s",
        {IntArg(TVarRec::Kind::Integer, -5), RealArg(2.55), IntArg(TVarRec::Kind::Integer, -5),
         TextArg("abc")}},
       "2.55|abc"},
      // A result that rounds to zero has no sign; Free Pascal's money with no decimals keeps it.
      {"money rounding to zero", {"%.0m", {RealArg(-0.4)}}, "0$"},
      // Free Pascal pads a 32-bit value to 16 hexadecimal digits at most.
      {"long hexadecimal", {"%.20x", {IntArg(TVarRec::Kind::Integer, -1)}}, "000000000000FFFFFFFF"},
  };
  return list;
}

std::optional<std::string> Ours(const Case& c) {
  std::vector<TVarRec> recs;
  for (const Arg& a : c.args)
    recs.push_back(a.Rec());
  try {
    return Format(c.fmt, recs);
  } catch (const EConvertError&) {
    return std::nullopt;
  }
}

std::string PascalProgram(const std::vector<Case>& cases) {
  std::ostringstream p;
  p << "{$mode objfpc}{$H+}\n"
       "uses SysUtils;\n"
       "function L(c: Cardinal): Longint; begin L := Longint(c); end;\n"
       "function I(q: QWord): Int64; begin I := Int64(q); end;\n"
       "function F(q: QWord): Extended; var d: Double; begin Move(q, d, 8); F := d; end;\n"
       "procedure R(const f: AnsiString; const a: array of const);\n"
       "var s: AnsiString;\n"
       "begin\n"
       "  try s := Format(f, a); Write(Length(s), ':', s, #10);\n"
       "  except on E: EConvertError do Write('-1:', #10); end;\n"
       "end;\n"
       "begin\n";
  for (const Case& c : cases) {
    p << "  R(" << PascalString(c.fmt) << ", [";
    for (std::size_t i = 0; i < c.args.size(); ++i) {
      p << (i ? ", " : "") << PascalArg(c.args[i]);
    }
    p << "]);\n";
  }
  p << "end.\n";
  return p.str();
}

// Runs the corpus through Free Pascal; one entry per case, nullopt where it raised.
std::vector<std::optional<std::string>> Reference(const std::vector<Case>& cases) {
  char dirTemplate[] = "/tmp/zeb-fpc-XXXXXX";
  const char* dir = mkdtemp(dirTemplate);
  if (dir == nullptr) throw std::runtime_error("mkdtemp failed");
  const std::filesystem::path work(dir);
  std::ofstream(work / "corpus.pas") << PascalProgram(cases);
  const std::string build = std::string(ZEB_FPC) + " -O1 -v0 -FE" + work.string() + " " +
                            (work / "corpus.pas").string() + " > " + (work / "fpc.log").string() +
                            " 2>&1";
  if (std::system(build.c_str()) != 0) {
    std::ifstream log(work / "fpc.log");
    std::stringstream text;
    text << log.rdbuf();
    std::filesystem::remove_all(work);
    throw std::runtime_error("fpc failed:\n" + text.str());
  }
  const std::string run = (work / "corpus").string() + " > " + (work / "out.txt").string();
  const int status = std::system(run.c_str());
  std::ifstream in(work / "out.txt", std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  std::filesystem::remove_all(work);
  if (status != 0) throw std::runtime_error("the corpus program failed");

  const std::string out = all.str();
  std::vector<std::optional<std::string>> results;
  std::size_t at = 0;
  while (at < out.size()) {
    const auto colon = out.find(':', at);
    const long length = std::stol(out.substr(at, colon - at));
    if (length < 0) {
      results.emplace_back(std::nullopt);
      at = colon + 2;
    } else {
      results.emplace_back(out.substr(colon + 1, static_cast<std::size_t>(length)));
      at = colon + 1 + static_cast<std::size_t>(length) + 1;
    }
  }
  return results;
}

std::string Show(const std::optional<std::string>& r) {
  if (!r) return "<EConvertError>";
  std::string out = "\"";
  for (char c : *r) {
    if (c == '\0') {
      out += "\\0";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Describe(const Case& c) {
  std::string out = Show(c.fmt) + " with";
  for (const Arg& a : c.args)
    out += " " + PascalArg(a);
  return out;
}

TEST(FormatOracle, GeneratedCorpusAgreesWithFreePascal) {
  std::vector<Case> cases;
  CorpusBuilder builder(0x5eed1234abcdULL);
  for (int i = 0; i < 1500; ++i)
    cases.push_back(builder.Make());
  const std::size_t corpusSize = cases.size();
  for (const Difference& d : IntendedDifferences())
    cases.push_back(d.c);

  const auto reference = Reference(cases);
  ASSERT_EQ(reference.size(), cases.size());

  int raised = 0;
  for (std::size_t i = 0; i < corpusSize; ++i) {
    const auto ours = Ours(cases[i]);
    if (!reference[i]) ++raised;
    EXPECT_EQ(Show(ours), Show(reference[i])) << "case " << i << ": " << Describe(cases[i]);
  }
  // The corpus exercises both outcomes.
  EXPECT_GT(raised, 20);
  EXPECT_LT(raised, static_cast<int>(corpusSize) / 2);

  for (std::size_t k = 0; k < IntendedDifferences().size(); ++k) {
    const Difference& d = IntendedDifferences()[k];
    const auto& theirs = reference[corpusSize + k];
    const auto ours = Ours(d.c);
    EXPECT_NE(Show(ours), Show(theirs)) << d.why << ": no longer differs";
    EXPECT_EQ(Show(ours), Show(d.ours ? std::optional<std::string>(d.ours) : std::nullopt))
        << d.why;
  }
}

}  // namespace

}  // namespace zeb
