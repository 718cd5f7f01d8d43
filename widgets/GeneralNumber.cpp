#include "widgets/GeneralNumber.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace widgets {

namespace {

constexpr int kDigits = 15;

}  // namespace

QString GeneralNumber(double value, QChar decimalPoint) {
  if (!std::isfinite(value)) return QString::number(value);
  if (value == 0) return QStringLiteral("0");
  char buf[64];
  // d.dddddddddddddde±xx: rounded to 15 significant digits.
  const auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                    std::chars_format::scientific, kDigits - 1);
  const std::string text(buf, result.ptr);
  const std::size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  QString out = value < 0 ? QStringLiteral("-") : QString();
  const int n = int(digits.size());
  if (exponent < -5 || exponent >= kDigits) {
    out += QLatin1Char(digits[0]);
    if (n > 1) out += decimalPoint + QString::fromLatin1(digits.c_str() + 1);
    return out + QStringLiteral("E") + QString::number(exponent);
  }
  if (exponent < 0) {
    return out + QStringLiteral("0") + decimalPoint + QString(-exponent - 1, QLatin1Char('0')) +
           QString::fromLatin1(digits.c_str());
  }
  if (n <= exponent + 1) {
    return out + QString::fromLatin1(digits.c_str()) + QString(exponent + 1 - n, QLatin1Char('0'));
  }
  return out + QString::fromLatin1(digits.c_str(), exponent + 1) + decimalPoint +
         QString::fromLatin1(digits.c_str() + exponent + 1);
}

}  // namespace widgets
