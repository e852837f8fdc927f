// Numeric text and numbers through the automation conversions: no input may
// crash or reach undefined behaviour, and a finite number's text form must
// read back as numeric text unless it rounds out of range.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "automation/text.h"
#include "platform/conversions.h"
#include "zarnutils/automation_error.h"

namespace {

using namespace zarn;

template <typename Conversion>
void tryConversion(Conversion conversion) {
  try {
    conversion();
  } catch (const AutomationError&) {
    // 13 and 6 are answers too.
  }
}

void convertEveryWay(const Variant& value) {
  tryConversion([&] { toText(value, BooleanText::Words); });
  tryConversion([&] { toText(value, BooleanText::Numbers); });
  tryConversion([&] { toLong(value); });
  tryConversion([&] { toBoolean(value); });
  isNumeric(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // As UTF-8 text, and as UTF-16 code units, which reach the blanks and
  // digits beyond ASCII.
  convertEveryWay(
      Variant::text(utf8ToText(std::string(reinterpret_cast<const char*>(data), size))));
  Text units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * 2);
  convertEveryWay(Variant::text(units));

  if (size >= sizeof(double)) {
    double real = 0;
    std::memcpy(&real, data, sizeof real);
    float single = 0;
    std::memcpy(&single, data, sizeof single);
    for (const Variant& number : {Variant::real(real), Variant::single(single)}) {
      convertEveryWay(number);
      const Text text = toText(number);
      const double value = number.kind() == VariantKind::Double ? real : single;
      // Beyond this the 15-digit text rounds past the largest double and
      // reads back as an overflow, on the platform as here.
      constexpr double largestReadBack = 1.79769313486231e308;
      if (std::fabs(value) <= largestReadBack && !isNumeric(Variant::text(text))) std::abort();
    }
  }
  return 0;
}
