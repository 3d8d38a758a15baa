// The views' Japanese texts are UTF-8 literals.
#pragma once

#include <QString>

namespace velqoris {

inline QString Utf8Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace velqoris
