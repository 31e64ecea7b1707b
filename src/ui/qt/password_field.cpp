#include "ui/qt/password_field.h"

#include <QAccessible>
#include <QProxyStyle>

#include <limits>
#include <string_view>

#include "platform/utf8.h"
#include "ui/pass_window.h"
#include "ui/qt/caps_lock_hint.h"
#include "ui/qt/qt_text.h"

namespace mirutoka::ui::qt {
namespace {

// The platform style masks with its own bullet; this one masks with '*'. A
// proxy costs far less at start than a style sheet, which would do the same.
class MaskingStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return Text1_password_character;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// The answer to every input method query: no input method, and nothing
// else, not even where the cursor is. A line edit answers from its own state
// and turns WA_InputMethodEnabled back on at every focus, so the answers
// themselves are what must change.
QVariant no_input_method(Qt::InputMethodQuery query) { return query == Qt::ImEnabled ? QVariant(false) : QVariant(); }

// Accessibility ---------------------------------------------------------------

// Qt's line edit tells the accessibility bus every character typed into it,
// and on a clear the whole text, even in password mode (Qt 6.4 does, and its
// current source still does).
QString masked(const QString& text) { return {text.size(), QChar(Text1_password_character)}; }

void mask_password_text(QAccessibleEvent* event);

// On to where Qt sends an event when no handler is installed, the platform's
// bridge, which Qt gives no public way to reach but that.
void pass_on(QAccessibleEvent* event) {
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(mask_password_text);
}

template <typename Event, typename... Texts>
void pass_on_masked(Event& event, const Texts&... texts) {
    Event masked_event(event.object(), event.changePosition(), masked(texts)...);
    masked_event.setCursorPosition(event.cursorPosition());
    pass_on(&masked_event);
}

void mask_password_text(QAccessibleEvent* event) {
    if (qobject_cast<const PasswordField*>(event->object()) == nullptr) return pass_on(event);
    switch (event->type()) {
    case QAccessible::TextInserted: {
        auto& inserted = static_cast<QAccessibleTextInsertEvent&>(*event);
        return pass_on_masked(inserted, inserted.textInserted());
    }
    case QAccessible::TextRemoved: {
        auto& removed = static_cast<QAccessibleTextRemoveEvent&>(*event);
        return pass_on_masked(removed, removed.textRemoved());
    }
    case QAccessible::TextUpdated: {
        auto& updated = static_cast<QAccessibleTextUpdateEvent&>(*event);
        return pass_on_masked(updated, updated.textRemoved(), updated.textInserted());
    }
    default:
        return pass_on(event);
    }
}

}  // namespace

PasswordField::PasswordField(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    auto* masking = new MaskingStyle;  // owned by the field, so it outlives the field's own destruction
    masking->setParent(this);
    setStyle(masking);
    setMaxLength(std::numeric_limits<int>::max());
    new CapsLockHint(*this);  // owned by the field
    QAccessible::installUpdateHandler(mask_password_text);
}

QVariant PasswordField::inputMethodQuery(Qt::InputMethodQuery query) const { return no_input_method(query); }

QVariant PasswordField::inputMethodQuery(Qt::InputMethodQuery query, const QVariant& /*argument*/) const {
    return no_input_method(query);
}

// The text goes from the field's own string into a secret, with no copy on
// the way; that string, which text() shares, is wiped where it is before the
// field is emptied, so that not even the field's undo steps see it. What else
// Qt kept while the text was typed, it frees unwiped.
platform::SecretText PasswordField::take() {
    const QString typed = text();
    platform::SecretText taken =
        platform::utf8_from_utf16(std::u16string_view(QStringView(typed).utf16(), static_cast<std::size_t>(typed.size())));
    wipe_in_place(typed);
    clear();
    return taken;
}

}  // namespace mirutoka::ui::qt
