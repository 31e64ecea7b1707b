#include "ui/qt/password_accessibility.h"

#include <QAccessible>
#include <QLineEdit>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include "ui/pass_window.h"

namespace mirutoka::ui::qt {
namespace {

bool is_password_field(const QObject* object) {
    const auto* field = qobject_cast<const QLineEdit*>(object);
    return field != nullptr && field->echoMode() != QLineEdit::Normal;
}

QString masked(const QString& text) { return {text.size(), QChar(Text1_password_character)}; }

// Where Qt sends an event when no handler is installed: the platform's
// bridge, AT-SPI on Linux.
void pass_on(QAccessibleEvent* event) {
    if (QPlatformAccessibility* bridge = QGuiApplicationPrivate::platformIntegration()->accessibility())
        bridge->notifyAccessibilityUpdate(event);
}

template <typename Event, typename... Texts>
void pass_on_masked(Event& event, const Texts&... texts) {
    Event masked_event(event.object(), event.changePosition(), masked(texts)...);
    masked_event.setCursorPosition(event.cursorPosition());
    pass_on(&masked_event);
}

void mask_password_text(QAccessibleEvent* event) {
    if (!is_password_field(event->object())) return pass_on(event);
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

void mask_password_fields_for_accessibility() { QAccessible::installUpdateHandler(mask_password_text); }

}  // namespace mirutoka::ui::qt
