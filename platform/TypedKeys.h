#pragma once

#include <QString>

class QKeyEvent;

// The characters that the windows' key handlers are given, as the keyboard types them.
namespace TypedKey {
inline constexpr char16_t Backspace = 8;
inline constexpr char16_t Enter = 13;
} // namespace TypedKey

// What one key press types: Return and the keypad's Enter both type Enter, Backspace types
// Backspace (whatever text the platform attaches to them), any other key its text, and a key that
// types nothing (a function key) nothing.
QString TypedCharacters(const QKeyEvent &event);

// Whether a name may hold the character. A name is one line of the settings file and one line on
// screen: control characters and line and paragraph separators would break or garble it.
bool IsNameCharacter(QChar c);
