#pragma once
// Input as views receive it: pointer buttons with modifiers, wheel distances and keys.

#include <cstdint>

namespace kestro {

// Buttons and modifiers held during a pointer event; double-click is a flag of the press.
class CButtonState {
public:
    enum : std::uint32_t {
        kLButton = 1u << 0,
        kMButton = 1u << 1,
        kRButton = 1u << 2,
        kShift = 1u << 3,
        kControl = 1u << 4,
        kAlt = 1u << 5,
        kDoubleClick = 1u << 6,
        kButtonMask = kLButton | kMButton | kRButton,
        kModifierMask = kShift | kControl | kAlt,
    };

    constexpr CButtonState() = default;
    constexpr CButtonState(std::uint32_t bits) : state(bits) {}

    constexpr std::uint32_t bits() const { return state; }
    constexpr bool isLeftButton() const { return (state & kLButton) != 0; }
    constexpr bool isRightButton() const { return (state & kRButton) != 0; }
    constexpr bool isDoubleClick() const { return (state & kDoubleClick) != 0; }
    constexpr bool hasShift() const { return (state & kShift) != 0; }
    constexpr bool hasControl() const { return (state & kControl) != 0; }
    constexpr std::uint32_t buttons() const { return state & kButtonMask; }
    constexpr std::uint32_t modifiers() const { return state & kModifierMask; }

    constexpr bool operator==(const CButtonState&) const = default;
    constexpr CButtonState operator|(std::uint32_t more) const { return CButtonState(state | more); }

private:
    std::uint32_t state = 0;
};

// What a pointer handler did with an event.
enum class MouseResult {
    NotHandled,             // the event goes nowhere else; a press starts no capture
    Handled,                // a press captures the pointer: moves and the release follow
    HandledNoFurtherEvents, // handled, and no moves or release are wanted for this press
};

// Virtual key codes, numbered as VST 2.4 hosts send them with effEditKeyDown.
enum class VirtualKey : std::uint8_t {
    None = 0,
    Back = 1,
    Tab = 2,
    Clear = 3,
    Return = 4,
    Pause = 5,
    Escape = 6,
    Space = 7,
    Next = 8,
    End = 9,
    Home = 10,
    Left = 11,
    Up = 12,
    Right = 13,
    Down = 14,
    PageUp = 15,
    PageDown = 16,
    Select = 17,
    Print = 18,
    Enter = 19,
    Snapshot = 20,
    Insert = 21,
    Delete = 22,
    Help = 23,
    Numpad0 = 24,
    Numpad9 = 33,
    Multiply = 34,
    Add = 35,
    Separator = 36,
    Subtract = 37,
    Decimal = 38,
    Divide = 39,
    F1 = 40,
    F12 = 51,
    NumLock = 52,
    Scroll = 53,
    Shift = 54,
    Control = 55,
    Alt = 56,
    Equals = 57,
};

// Modifier bits of a key event, as VST 2.4 hosts send them.
enum KeyModifier : std::uint8_t {
    kKeyShift = 1 << 0,
    kKeyAlternate = 1 << 1,
    kKeyCommand = 1 << 2,
    kKeyControl = 1 << 3,
};

// One key press or release: a Unicode code point for text keys (0 for none), a virtual
// key for the others.
struct CKeyCode {
    std::uint32_t character = 0;
    VirtualKey virt = VirtualKey::None;
    std::uint8_t modifiers = 0;
};

} // namespace kestro
