#pragma once

#include <QString>

#include <cstddef>
#include <string_view>

#include "platform/secrets.h"

namespace mirutoka::ui::qt {

inline QString to_qstring(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Wipes the characters of `text` where they are, whoever else shares them:
// whatever shares the block holds the same secret. Characters that QString
// did not allocate (a literal's, capacity 0) are not ours to write.
inline void wipe_in_place(const QString& text) {
    if (text.capacity() > 0)
        platform::wipe(const_cast<QChar*>(text.constData()), static_cast<std::size_t>(text.size()));
}

}  // namespace mirutoka::ui::qt
