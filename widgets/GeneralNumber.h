// Decimal text of a floating value in general form: at most 15 significant digits, no
// trailing zeros, fixed notation from 1E-5 up to 15 integer digits, scientific beyond
// ("4.6566129771608E-6"). Independent of the C locale; the caller picks the separator.
#pragma once

#include <QChar>
#include <QString>

namespace widgets {

QString GeneralNumber(double value, QChar decimalPoint);

}  // namespace widgets
