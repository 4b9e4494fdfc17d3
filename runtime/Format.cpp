#include "runtime/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "runtime/Exceptions.h"

namespace zeb {

namespace {

// Widths and precisions beyond this are refused rather than allocated.
constexpr std::int64_t kMaxWidth = 1 << 20;
// Significant digits that e and g show at most, and decimals that f, n and m show at most.
constexpr int kMaxSignificant = 17;
constexpr int kMinSignificant = 2;
constexpr int kMaxDecimals = 18;
constexpr int kDefaultSignificant = 15;
constexpr int kDefaultDecimals = 2;

// The format as a message quotes it: a long one by its start only, so that a message about a
// format of megabytes stays readable.
std::string Quoted(std::string_view fmt) {
  constexpr std::size_t kShown = 200;
  if (fmt.size() <= kShown) return "\"" + std::string(fmt) + "\"";
  return "\"" + std::string(fmt.substr(0, kShown)) + "\"... (" + std::to_string(fmt.size()) +
         " bytes)";
}

[[noreturn]] void RaiseInvalid(std::string_view fmt) {
  throw EConvertError("Format " + Quoted(fmt) + " invalid or incompatible with argument");
}
[[noreturn]] void RaiseMissing(std::string_view fmt) {
  throw EConvertError("No argument for format " + Quoted(fmt));
}
[[noreturn]] void RaiseMalformed(std::string_view fmt) {
  throw EConvertError("Invalid format specifier in format " + Quoted(fmt));
}
[[noreturn]] void RaiseTooLong(std::string_view fmt) {
  throw EConvertError("Format " + Quoted(fmt) + " gives a result longer than " +
                      std::to_string(kFormatMaxLength) + " bytes");
}

// A finite non-negative value as decimal digits: value = d0.d1d2... * 10^exponent, with no
// trailing zeros; zero is "0" with exponent 0.
struct Decimal {
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits == "0"; }
  // The digit standing for 10^power.
  char DigitAt(int power) const {
    const int index = exponent - power;
    if (index < 0 || index >= static_cast<int>(digits.size())) return '0';
    return digits[static_cast<std::size_t>(index)];
  }
};

void StripTrailingZeros(Decimal& d) {
  const auto last = d.digits.find_last_not_of('0');
  if (last == std::string::npos) {
    d.digits.assign(1, '0');
    d.exponent = 0;
  } else {
    d.digits.resize(last + 1);
  }
}

// The exact decimal expansion of |value|: every double has at most 767 significant digits.
Decimal ExactDecimal(double value) {
  char buffer[800];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, 766);
  const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const auto e = text.find('e');
  Decimal d;
  d.digits.reserve(e);
  for (char c : text.substr(0, e)) {
    if (c != '.') d.digits.push_back(c);
  }
  const std::string_view exponentText = text.substr(e + 1);
  const bool negative = exponentText.front() == '-';
  int exponent = 0;
  std::from_chars(exponentText.data() + 1, exponentText.data() + exponentText.size(), exponent);
  d.exponent = negative ? -exponent : exponent;
  StripTrailingZeros(d);
  return d;
}

// Keeps `count` significant digits (count >= 0), rounding half away from zero.
void RoundToSignificant(Decimal& d, int count) {
  if (d.IsZero() || static_cast<int>(d.digits.size()) <= count) return;
  if (count < 0) {
    d = Decimal{"0", 0};
    return;
  }
  const std::size_t keep = static_cast<std::size_t>(count);
  const bool up = d.digits[keep] >= '5';
  d.digits.resize(keep);
  if (up) {
    std::size_t i = keep;
    while (i > 0 && d.digits[i - 1] == '9') {
      d.digits[i - 1] = '0';
      --i;
    }
    if (i == 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    } else {
      ++d.digits[i - 1];
    }
  }
  if (d.digits.empty()) {
    d = Decimal{"0", 0};
    return;
  }
  StripTrailingZeros(d);
}

// Keeps `decimals` digits after the point.
void RoundToDecimals(Decimal& d, int decimals) {
  if (d.IsZero()) return;
  const int keep = d.exponent + 1 + decimals;
  if (keep == 0) {
    // Only the rounding digit is left: the result is 10^-decimals or zero.
    if (d.digits[0] >= '5') {
      d = Decimal{"1", -decimals};
    } else {
      d = Decimal{"0", 0};
    }
    return;
  }
  RoundToSignificant(d, keep);
}

std::string FixedDigits(const Decimal& d, int decimals, bool thousands) {
  std::string out;
  const int top = std::max(d.exponent, 0);
  for (int power = top; power >= 0; --power) {
    out.push_back(d.DigitAt(power));
    if (thousands && power > 0 && power % 3 == 0) out.push_back(',');
  }
  if (decimals > 0) {
    out.push_back('.');
    for (int power = -1; power >= -decimals; --power)
      out.push_back(d.DigitAt(power));
  }
  return out;
}

std::optional<std::string> NonFinite(double value) {
  if (std::isnan(value)) return "Nan";
  if (std::isinf(value)) return value > 0 ? "+Inf" : "-Inf";
  return std::nullopt;
}

std::string FormatExponent(double value, int precision) {
  if (auto text = NonFinite(value)) return *text;
  precision = std::clamp(precision, kMinSignificant, kMaxSignificant);
  Decimal d = ExactDecimal(value);
  RoundToSignificant(d, precision);
  std::string out = std::signbit(value) && !d.IsZero() ? "-" : "";
  out.push_back(d.digits[0]);
  out.push_back('.');
  for (int i = 1; i < precision; ++i) {
    out.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)]
                                                        : '0');
  }
  const int exponent = d.IsZero() ? 0 : d.exponent;
  out += exponent < 0 ? "E-" : "E+";
  std::string e = std::to_string(std::abs(exponent));
  if (e.size() < 3) e.insert(0, 3 - e.size(), '0');
  return out + e;
}

std::string FormatFixed(double value, int decimals, bool thousands) {
  if (auto text = NonFinite(value)) return *text;
  decimals = std::min(decimals, kMaxDecimals);
  Decimal d = ExactDecimal(value);
  RoundToDecimals(d, decimals);
  const std::string sign = std::signbit(value) && !d.IsZero() ? "-" : "";
  return sign + FixedDigits(d, decimals, thousands);
}

std::string FormatGeneral(double value, int precision) {
  if (auto text = NonFinite(value)) return *text;
  precision = std::clamp(precision, kMinSignificant, kMaxSignificant);
  Decimal d = ExactDecimal(value);
  RoundToSignificant(d, precision);
  if (d.IsZero()) return "0";
  std::string out = std::signbit(value) ? "-" : "";
  if (d.exponent < precision && d.exponent >= -5) {
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - 1 - d.exponent);
    return out + FixedDigits(d, decimals, false);
  }
  out.push_back(d.digits[0]);
  if (d.digits.size() > 1) {
    out.push_back('.');
    out.append(d.digits, 1);
  }
  return out + "E" + std::to_string(d.exponent);
}

template <class Unsigned>
std::string ToText(Unsigned value, int base) {
  char buffer[24];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, base);
  std::string out(buffer, end);
  for (char& c : out) {
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

void PadDigits(std::string& digits, std::optional<int> precision) {
  if (precision && static_cast<int>(digits.size()) < *precision) {
    digits.insert(0, static_cast<std::size_t>(*precision) - digits.size(), '0');
  }
}

// One pass over a format. With arguments it formats; without (kinds mode) it records what each
// argument position must hold.
class Formatter {
 public:
  Formatter(std::string_view fmt, std::span<const TVarRec> args, std::vector<TFormatArgKind>* kinds)
      : fmt_(fmt), args_(args), kinds_(kinds) {}

  std::string Run() {
    std::size_t i = 0;
    while (i < fmt_.size()) {
      const auto percent = fmt_.find('%', i);
      if (percent == std::string_view::npos) {
        Append(fmt_.substr(i));
        break;
      }
      Append(fmt_.substr(i, percent - i));
      pos_ = percent + 1;
      Conversion();
      i = pos_;
    }
    return std::move(out_);
  }

 private:
  // Raises when `length` more bytes would make the result too long; checked before those bytes
  // are made, so that no format allocates past the bound.
  void Room(std::size_t length) const {
    if (kinds_ == nullptr && length > kFormatMaxLength - out_.size()) RaiseTooLong(fmt_);
  }
  void Append(std::string_view text) {
    Room(text.size());
    out_.append(text);
  }

  bool AtEnd() const { return pos_ >= fmt_.size(); }
  char Peek() const { return AtEnd() ? '\0' : fmt_[pos_]; }

  // Marks the next argument as needing `kind` and returns it (nullptr in kinds mode).
  const TVarRec* Take(TFormatArgKind kind) {
    const std::size_t index = argIndex_++;
    if (kinds_ != nullptr) {
      if (kinds_->size() <= index) kinds_->resize(index + 1, TFormatArgKind::Unused);
      (*kinds_)[index] = kind;
      return nullptr;
    }
    if (index >= args_.size()) RaiseMissing(fmt_);
    return &args_[index];
  }

  // A decimal number, or "*" for one taken from the arguments; nullopt when neither is there.
  std::optional<std::int64_t> ReadNumber() {
    if (Peek() == '*') {
      ++pos_;
      const TVarRec* arg = Take(TFormatArgKind::Integer);
      if (arg == nullptr) return 0;
      if (arg->kind() == TVarRec::Kind::Integer) return arg->AsInteger();
      if (arg->kind() == TVarRec::Kind::Int64) return arg->AsInt64();
      RaiseInvalid(fmt_);
    }
    if (Peek() < '0' || Peek() > '9') return std::nullopt;
    std::int64_t value = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      value = value * 10 + (Peek() - '0');
      if (value > kMaxWidth) RaiseMalformed(fmt_);
      ++pos_;
    }
    return value;
  }

  static std::optional<int> Bounded(std::optional<std::int64_t> value, std::string_view fmt) {
    if (!value) return std::nullopt;
    if (*value > kMaxWidth || *value < -kMaxWidth) RaiseMalformed(fmt);
    return static_cast<int>(*value);
  }

  void Conversion() {
    if (Peek() == '%') {
      ++pos_;
      Append("%");
      return;
    }
    bool left = false;
    const bool starFirst = Peek() == '*';
    std::optional<std::int64_t> number = ReadNumber();
    if (Peek() == ':') {
      if (!number) RaiseMalformed(fmt_);
      if (starFirst && kinds_ != nullptr) RaiseMalformed(fmt_);  // position unknown ahead of time
      if (*number < 0) RaiseMissing(fmt_);
      argIndex_ = static_cast<std::size_t>(*number);
      ++pos_;
      number.reset();
    }
    if (!number && Peek() == '-') {
      left = true;
      ++pos_;
    }
    if (!number) number = ReadNumber();
    std::optional<int> width = Bounded(number, fmt_);
    if (width && *width < 0) width = -*width;
    std::optional<int> precision;
    if (Peek() == '.') {
      ++pos_;
      // A dot with no number after it is precision 0.
      precision = Bounded(ReadNumber(), fmt_).value_or(0);
      if (*precision < 0) precision.reset();
    }
    if (AtEnd()) RaiseMalformed(fmt_);
    const char type = fmt_[pos_++];
    const std::string text = Convert(type, precision);
    const std::size_t pad = width && static_cast<int>(text.size()) < *width
                                ? static_cast<std::size_t>(*width) - text.size()
                                : 0;
    Room(text.size() + pad);
    if (!left) out_.append(pad, ' ');
    out_ += text;
    if (left) out_.append(pad, ' ');
  }

  std::string Convert(char type, std::optional<int> precision) {
    switch (type) {
      case '%':
        return "%";
      case 'd':
      case 'D':
        return Integer(precision);
      case 'u':
      case 'U':
        return Unsigned(10, precision);
      case 'x':
      case 'X':
        return Unsigned(16, precision);
      case 'e':
      case 'E':
        return Float(
            [&](double v) { return FormatExponent(v, precision.value_or(kDefaultSignificant)); });
      case 'f':
      case 'F':
        return Float(
            [&](double v) { return FormatFixed(v, precision.value_or(kDefaultDecimals), false); });
      case 'g':
      case 'G':
        return Float(
            [&](double v) { return FormatGeneral(v, precision.value_or(kDefaultSignificant)); });
      case 'n':
      case 'N':
        return Float(
            [&](double v) { return FormatFixed(v, precision.value_or(kDefaultDecimals), true); });
      case 'm':
      case 'M':
        return Float([&](double v) {
          const std::string amount = FormatFixed(v, precision.value_or(kDefaultDecimals), true);
          return NonFinite(v) ? amount : amount + "$";
        });
      case 'p':
      case 'P': {
        const TVarRec* arg = Take(TFormatArgKind::Pointer);
        if (arg == nullptr) return {};
        if (arg->kind() != TVarRec::Kind::Pointer) RaiseInvalid(fmt_);
        std::string digits =
            ToText(reinterpret_cast<std::uintptr_t>(arg->AsPointer()), 16);  // NOLINT
        PadDigits(digits, static_cast<int>(sizeof(void*) * 2));
        return digits;
      }
      case 's':
      case 'S': {
        const TVarRec* arg = Take(TFormatArgKind::Text);
        if (arg == nullptr) return {};
        std::string_view text;
        char ch = 0;
        if (arg->kind() == TVarRec::Kind::String) {
          text = arg->AsString();
        } else if (arg->kind() == TVarRec::Kind::Char) {
          ch = arg->AsChar();
          text = std::string_view(&ch, 1);
        } else {
          RaiseInvalid(fmt_);
        }
        if (precision) text = text.substr(0, static_cast<std::size_t>(*precision));
        Room(text.size());  // before the copy: the argument may be of any length
        return std::string(text);
      }
      default:
        RaiseMalformed(fmt_);
    }
  }

  std::string Integer(std::optional<int> precision) {
    const TVarRec* arg = Take(TFormatArgKind::Integer);
    if (arg == nullptr) return {};
    std::int64_t value = 0;
    if (arg->kind() == TVarRec::Kind::Integer) {
      value = arg->AsInteger();
    } else if (arg->kind() == TVarRec::Kind::Int64) {
      value = arg->AsInt64();
    } else {
      RaiseInvalid(fmt_);
    }
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = ToText(magnitude, 10);
    PadDigits(digits, precision);
    return value < 0 ? "-" + digits : digits;
  }

  std::string Unsigned(int base, std::optional<int> precision) {
    const TVarRec* arg = Take(TFormatArgKind::Integer);
    if (arg == nullptr) return {};
    std::string digits;
    if (arg->kind() == TVarRec::Kind::Integer) {
      digits = ToText(static_cast<std::uint32_t>(arg->AsInteger()), base);
    } else if (arg->kind() == TVarRec::Kind::Int64) {
      digits = ToText(static_cast<std::uint64_t>(arg->AsInt64()), base);
    } else {
      RaiseInvalid(fmt_);
    }
    PadDigits(digits, precision);
    return digits;
  }

  template <class Render>
  std::string Float(Render render) {
    const TVarRec* arg = Take(TFormatArgKind::Float);
    if (arg == nullptr) return {};
    if (arg->kind() != TVarRec::Kind::Extended) RaiseInvalid(fmt_);
    return render(arg->AsExtended());
  }

  std::string_view fmt_;
  std::span<const TVarRec> args_;
  std::vector<TFormatArgKind>* kinds_;
  std::string out_;
  std::size_t pos_ = 0;
  std::size_t argIndex_ = 0;
};

}  // namespace

std::string Format(std::string_view fmt, std::span<const TVarRec> args) {
  return Formatter(fmt, args, nullptr).Run();
}

void FmtStr(std::string& result, std::string_view fmt, std::span<const TVarRec> args) {
  result = Format(fmt, args);
}

std::vector<TFormatArgKind> FormatArgKinds(std::string_view fmt) {
  std::vector<TFormatArgKind> kinds;
  Formatter(fmt, {}, &kinds).Run();
  return kinds;
}

}  // namespace zeb
