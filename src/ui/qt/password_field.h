#pragma once

#include <QLineEdit>

#include "platform/secrets.h"

namespace mirutoka::ui::qt {

// The masked field, and every way its text could leave it but the keyboard's
// (the key channel closes that one), closed in one place:
// - it shows one '*' a character;
// - it takes no input method, asked either way an input method asks, and
//   tells none where its cursor is (which would give away each key);
// - the accessibility bus hears one '*' for each character that comes or goes;
// - its text leaves once, into storage that wipes it (take()).
class PasswordField final : public QLineEdit {
    Q_OBJECT

public:
    explicit PasswordField(QWidget* parent);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // What QInputMethod asks the focus object by name; QLineEdit's own
    // answers with the text around the cursor.
    Q_INVOKABLE QVariant inputMethodQuery(Qt::InputMethodQuery query, const QVariant& argument) const;

    // The typed text, which the field no longer holds.
    [[nodiscard]] platform::SecretText take();
};

}  // namespace mirutoka::ui::qt
