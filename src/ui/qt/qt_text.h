#pragma once

#include <QString>

#include <string_view>

namespace mirutoka::ui::qt {

inline QString to_qstring(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace mirutoka::ui::qt
