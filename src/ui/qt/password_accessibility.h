#pragma once

namespace mirutoka::ui::qt {

// Qt's line edit tells the accessibility bus every character typed into it,
// and on a clear the whole text, even in password mode (Qt 6.4 does, and
// Qt's current source still does); any program of the session can listen there. From this call on, what a
// password field tells is one mask character per character instead: screen
// readers still hear that a character came or went, and where.
void mask_password_fields_for_accessibility();

}  // namespace mirutoka::ui::qt
