// Format from any format text and arguments: it returns or raises EConvertError and nothing
// else; FmtStr agrees with it and leaves its result alone when it raises; no result is longer
// than the bound.
//
// Input: a count of arguments (one byte), each argument as a kind byte and its value (4 or 8
// bytes, or a length byte and text), then the format text (the rest).
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/Exceptions.h"
#include "runtime/Format.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace zeb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int count = in.ConsumeIntegralInRange(0, 8);
  std::vector<std::string> texts;  // kept apart: the records refer to them
  texts.reserve(static_cast<std::size_t>(count));
  std::vector<TVarRec> args;
  for (int i = 0; i < count; ++i) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0:
        // Small values too, so that widths and precisions from "*" stay within reach.
        args.emplace_back(in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-40, 40)
                                           : in.ConsumeIntegral<std::int32_t>());
        break;
      case 1:
        args.emplace_back(in.ConsumeIntegral<std::int64_t>());
        break;
      case 2:  // every bit pattern: infinities, NaNs, subnormals
        args.emplace_back(std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>()));
        break;
      case 3:
        texts.push_back(in.ConsumeRandomLengthString(64));
        args.emplace_back(std::string_view(texts.back()));
        break;
      case 4:
        args.emplace_back(in.ConsumeIntegral<char>());
        break;
      default:
        args.emplace_back(reinterpret_cast<const void*>(in.ConsumeIntegral<std::uintptr_t>()));
    }
  }
  const std::string fmt = in.ConsumeRemainingBytesAsString();

  std::string result;
  bool raised = false;
  try {
    result = Format(fmt, args);
  } catch (const EConvertError&) {
    raised = true;
  }
  CHECK(result.size() <= kFormatMaxLength);

  std::string viaFmtStr = "untouched";
  bool fmtStrRaised = false;
  try {
    FmtStr(viaFmtStr, fmt, args);
  } catch (const EConvertError&) {
    fmtStrRaised = true;
  }
  CHECK(fmtStrRaised == raised);
  CHECK(raised ? viaFmtStr == "untouched" : viaFmtStr == result);
  return 0;
}
