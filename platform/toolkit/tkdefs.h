#pragma once
// Basic types of the widget toolkit: message parameters, sets of enumerations, shift states, key
// codes, message numbers, alignment and cursor values. No Qt here: the package includes this.
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WORD = std::uint16_t;
using TShortCut = WORD;
using TCursor = int;

// A set of enumeration values (the toolkit's option sets, shift states, font styles).
// Values must lie in 0 .. 63.
template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values)
    {
        for (E v : values)
            bits_ |= bit(v);
    }
    static constexpr TSet FromInt(std::uint64_t bits)
    {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr std::uint64_t ToInt() const { return bits_; }

    constexpr bool Contains(E v) const { return (bits_ & bit(v)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr TSet& operator<<(E v)
    {
        bits_ |= bit(v);
        return *this;
    }
    constexpr TSet& operator>>(E v)
    {
        bits_ &= ~bit(v);
        return *this;
    }
    constexpr TSet operator+(TSet o) const { return FromInt(bits_ | o.bits_); }
    constexpr TSet operator-(TSet o) const { return FromInt(bits_ & ~o.bits_); }
    constexpr TSet operator*(TSet o) const { return FromInt(bits_ & o.bits_); }
    constexpr bool operator==(const TSet&) const = default;

private:
    static constexpr std::uint64_t bit(E v) { return std::uint64_t { 1 } << static_cast<unsigned>(v); }
    std::uint64_t bits_ = 0;
};

enum TShiftStateValue { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateValue>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A window message as the toolkit delivers it to WndProc.
struct TMessage {
    unsigned Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Message numbers the toolkit generates or understands.
enum : unsigned {
    WM_NULL = 0x0000,
    WM_SETFOCUS = 0x0007,
    WM_KILLFOCUS = 0x0008,
    WM_SETTEXT = 0x000C, // LParam: const char* (UTF-8)
    WM_GETTEXTLENGTH = 0x000E,
    WM_CONTEXTMENU = 0x007B,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102, // WParam: the character as a Unicode code point
    WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_LBUTTONDBLCLK = 0x0203,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MBUTTONDBLCLK = 0x0209,
    WM_CUT = 0x0300,
    WM_COPY = 0x0301,
    WM_PASTE = 0x0302,
    WM_CLEAR = 0x0303,
    WM_UNDO = 0x0304,
    WM_USER = 0x0400,
    CM_BASE = 0xB000,
    CM_ENTER = CM_BASE + 10, // focus entered the control (after it has the focus)
    CM_EXIT = CM_BASE + 11, // focus left the control
    CM_TEXTCHANGED = CM_BASE + 18,
};

// Mouse message WParam flags.
enum : WPARAM { MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10 };

// Key-message LParam bits. Bit 29 is the Alt bit of the usual key data; the Shift and Ctrl bits
// record the modifiers at the time of the key so that the shift state travels with the message.
enum : LPARAM {
    KF_SHIFTDOWN = LPARAM { 1 } << 25,
    KF_CTRLDOWN = LPARAM { 1 } << 26,
    KF_ALTDOWN = LPARAM { 1 } << 29,
};
TShiftState KeyDataToShiftState(LPARAM keyData);
LPARAM ShiftStateToKeyData(TShiftState shift);

inline constexpr LPARAM MakeLParam(int lo, int hi)
{
    return static_cast<LPARAM>(
        (static_cast<std::uint32_t>(hi & 0xFFFF) << 16) | static_cast<std::uint32_t>(lo & 0xFFFF));
}
inline constexpr int LoWordSigned(LPARAM l)
{
    return static_cast<std::int16_t>(l & 0xFFFF);
}
inline constexpr int HiWordSigned(LPARAM l)
{
    return static_cast<std::int16_t>((l >> 16) & 0xFFFF);
}

// Virtual key codes. Letters and digits are their upper-case ASCII codes ('A', '0').
enum : WORD {
    VK_LBUTTON = 0x01,
    VK_RBUTTON = 0x02,
    VK_CANCEL = 0x03,
    VK_MBUTTON = 0x04,
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_PRINT = 0x2A,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_HELP = 0x2F,
    VK_LWIN = 0x5B,
    VK_RWIN = 0x5C,
    VK_APPS = 0x5D,
    VK_NUMPAD0 = 0x60,
    VK_NUMPAD9 = 0x69,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SEPARATOR = 0x6C,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F2,
    VK_F3,
    VK_F4,
    VK_F5,
    VK_F6,
    VK_F7,
    VK_F8,
    VK_F9,
    VK_F10,
    VK_F11,
    VK_F12,
    VK_F24 = 0x87,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
    VK_OEM_102 = 0xE2,
};

// Shortcut modifier bits (a shortcut is the key code or-ed with these).
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut ShortCut(WORD key, TShiftState shift)
{
    return static_cast<TShortCut>((key & 0x1FFF) | (shift.Contains(ssShift) ? scShift : 0)
        | (shift.Contains(ssCtrl) ? scCtrl : 0) | (shift.Contains(ssAlt) ? scAlt : 0));
}

// True while the key is held down; asks the current input state. Returns a negative value for a
// pressed key as the classic call does. Shift, Ctrl and Alt come from the input state, other keys
// from the key events the application has seen.
short GetKeyState(int vk);

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };
enum TBorderStyle { bsNone, bsSingle };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// The element names of the enumerations above, in their order, as published properties show them.
inline constexpr const char* kAlignNames[]
    = { "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom" };
static_assert(std::size(kAlignNames) == alCustom + 1);
inline constexpr const char* kAnchorKindNames[] = { "akLeft", "akTop", "akRight", "akBottom" };
static_assert(std::size(kAnchorKindNames) == akBottom + 1);
inline constexpr const char* kAlignmentNames[] = { "taLeftJustify", "taRightJustify", "taCenter" };
static_assert(std::size(kAlignmentNames) == taCenter + 1);
inline constexpr const char* kVerticalAlignmentNames[]
    = { "taAlignTop", "taAlignBottom", "taVerticalCenter" };
static_assert(std::size(kVerticalAlignmentNames) == taVerticalCenter + 1);
inline constexpr const char* kBorderStyleNames[] = { "bsNone", "bsSingle" };
static_assert(std::size(kBorderStyleNames) == bsSingle + 1);
inline constexpr const char* kBevelCutNames[] = { "bvNone", "bvLowered", "bvRaised", "bvSpace" };
static_assert(std::size(kBevelCutNames) == bvSpace + 1);
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
    mrClose = 11,
};

// Cursor values of the screen and of controls.
enum : TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool operator==(const TRect&) const = default;
};
inline TRect Rect(int left, int top, int right, int bottom)
{
    return TRect { left, top, right, bottom };
}
inline TRect Bounds(int left, int top, int width, int height)
{
    return TRect { left, top, left + width, top + height };
}
