#include "toolkit/qtbridge.h"
#include "toolkit/flagscope.h"
#include "toolkit/form.h"

#include <QApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <array>
#include <utility>

TControlBridge::~TControlBridge() = default;

bool TControlBridge::Route(QEvent* event, const TQtDefault& qtDefault)
{
    return control_ ? control_->HandleQtEvent(event, qtDefault) : qtDefault(event);
}

QSize TControlBridge::SizeHint(const QSize& qtHint) const
{
    if (qtHint.isValid() || !control_ || control_->askedWidth_ <= 0 || control_->askedHeight_ <= 0)
        return qtHint;
    return { control_->askedWidth_, control_->askedHeight_ };
}

bool TControlBridge::FocusNextInForm(bool next)
{
    auto* control = dynamic_cast<TWinControl*>(control_);
    TCustomForm* form = control ? GetParentForm(control) : nullptr;
    if (!form)
        return false;
    form->SelectNext(control, next, true);
    return true;
}

void TControlBridge::Detach()
{
    if (control_)
        control_->WidgetDestroyed();
    control_ = nullptr;
}

TInputRouter::TInputRouter(TControl* control, QWidget* inner)
    : QObject(inner)
    , control_(control)
{
    inner->installEventFilter(this);
}

bool TInputRouter::eventFilter(QObject* watched, QEvent* event)
{
    if (passing_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
        break;
    default:
        return false;
    }
    struct Ctx {
        TInputRouter* self;
        QObject* target;
    } ctx { this, watched };
    TQtDefault def { [](void* p, QEvent* e) {
                        auto* c = static_cast<Ctx*>(p);
                        TFlagScope passing(c->self->passing_);
                        return QCoreApplication::sendEvent(c->target, e);
                    },
        &ctx };
    control_->HandleQtEvent(event, def);
    return true;
}

int CharsToUnits(const QString& s, int chars)
{
    int units = 0;
    for (int c = 0; c < chars && units < s.size(); ++c)
        units += (s.at(units).isHighSurrogate() && units + 1 < s.size()) ? 2 : 1;
    return units;
}

int UnitsToChars(const QString& s, int units)
{
    int chars = 0;
    for (int u = 0; u < units && u < s.size(); ++chars)
        u += (s.at(u).isHighSurrogate() && u + 1 < s.size()) ? 2 : 1;
    return chars;
}

QColor ToQColor(TColor color)
{
    TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

QFont ToQFont(const TFont& font)
{
    QFont f(ToQString(font.Name()));
    f.setPointSize(font.Size());
    f.setBold(font.Style().Contains(fsBold));
    f.setItalic(font.Style().Contains(fsItalic));
    f.setUnderline(font.Style().Contains(fsUnderline));
    f.setStrikeOut(font.Style().Contains(fsStrikeOut));
    return f;
}

void AssignQFont(TFont& font, const QFont& qfont)
{
    font.SetName(FromQString(qfont.family()));
    if (qfont.pointSize() > 0)
        font.SetSize(qfont.pointSize());
    TFontStyles style;
    if (qfont.bold())
        style << fsBold;
    if (qfont.italic())
        style << fsItalic;
    if (qfont.underline())
        style << fsUnderline;
    if (qfont.strikeOut())
        style << fsStrikeOut;
    font.SetStyle(style);
}

std::string DefaultFontName()
{
    if (!QCoreApplication::instance())
        return "Sans Serif";
    return FromQString(QApplication::font().family());
}

namespace {

constexpr std::array<std::pair<int, WORD>, 44> kKeys { {
    { Qt::Key_Backspace, VK_BACK },
    { Qt::Key_Tab, VK_TAB },
    { Qt::Key_Backtab, VK_TAB },
    { Qt::Key_Clear, VK_CLEAR },
    { Qt::Key_Return, VK_RETURN },
    { Qt::Key_Enter, VK_RETURN },
    { Qt::Key_Shift, VK_SHIFT },
    { Qt::Key_Control, VK_CONTROL },
    { Qt::Key_Alt, VK_MENU },
    { Qt::Key_Pause, VK_PAUSE },
    { Qt::Key_CapsLock, VK_CAPITAL },
    { Qt::Key_Escape, VK_ESCAPE },
    { Qt::Key_Space, VK_SPACE },
    { Qt::Key_PageUp, VK_PRIOR },
    { Qt::Key_PageDown, VK_NEXT },
    { Qt::Key_End, VK_END },
    { Qt::Key_Home, VK_HOME },
    { Qt::Key_Left, VK_LEFT },
    { Qt::Key_Up, VK_UP },
    { Qt::Key_Right, VK_RIGHT },
    { Qt::Key_Down, VK_DOWN },
    { Qt::Key_Print, VK_SNAPSHOT },
    { Qt::Key_Insert, VK_INSERT },
    { Qt::Key_Delete, VK_DELETE },
    { Qt::Key_Help, VK_HELP },
    { Qt::Key_Meta, VK_LWIN },
    { Qt::Key_Menu, VK_APPS },
    { Qt::Key_NumLock, VK_NUMLOCK },
    { Qt::Key_ScrollLock, VK_SCROLL },
    { Qt::Key_Semicolon, VK_OEM_1 },
    { Qt::Key_Plus, VK_OEM_PLUS },
    { Qt::Key_Comma, VK_OEM_COMMA },
    { Qt::Key_Minus, VK_OEM_MINUS },
    { Qt::Key_Period, VK_OEM_PERIOD },
    { Qt::Key_Slash, VK_OEM_2 },
    { Qt::Key_NumberSign, VK_OEM_2 },
    { Qt::Key_QuoteLeft, VK_OEM_3 },
    { Qt::Key_Odiaeresis, VK_OEM_3 },
    { Qt::Key_BracketLeft, VK_OEM_4 },
    { Qt::Key_ssharp, VK_OEM_4 },
    { Qt::Key_Backslash, VK_OEM_5 },
    { Qt::Key_BracketRight, VK_OEM_6 },
    { Qt::Key_Apostrophe, VK_OEM_7 },
    { Qt::Key_Less, VK_OEM_102 },
} };

} // namespace

WORD VirtualKeyFromQt(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<WORD>('A' + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<WORD>('0' + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<WORD>(VK_F1 + (qtKey - Qt::Key_F1));
    // Umlauts typed on a German keyboard.
    if (qtKey == Qt::Key_Adiaeresis)
        return VK_OEM_7;
    if (qtKey == Qt::Key_Udiaeresis)
        return VK_OEM_1;
    for (auto& [q, vk] : kKeys)
        if (q == qtKey)
            return vk;
    return 0;
}

int QtKeyFromVirtualKey(WORD vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= VK_F1 && vk <= VK_F24)
        return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return Qt::Key_0 + (vk - VK_NUMPAD0);
    for (auto& [q, v] : kKeys)
        if (v == vk)
            return q;
    return Qt::Key_unknown;
}

TShiftState ShiftStateFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (modifiers & Qt::ShiftModifier)
        s << ssShift;
    if (modifiers & Qt::ControlModifier)
        s << ssCtrl;
    if (modifiers & Qt::AltModifier)
        s << ssAlt;
    if (buttons & Qt::LeftButton)
        s << ssLeft;
    if (buttons & Qt::RightButton)
        s << ssRight;
    if (buttons & Qt::MiddleButton)
        s << ssMiddle;
    return s;
}

Qt::KeyboardModifiers QtModifiersFromShift(TShiftState shift)
{
    Qt::KeyboardModifiers m;
    if (shift.Contains(ssShift))
        m |= Qt::ShiftModifier;
    if (shift.Contains(ssCtrl))
        m |= Qt::ControlModifier;
    if (shift.Contains(ssAlt))
        m |= Qt::AltModifier;
    return m;
}

char32_t CharFromKeyEvent(const QKeyEvent* event)
{
    const auto mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool alt = mods & Qt::AltModifier;
    const int key = event->key();
    if (ctrl && !alt)
        return key >= Qt::Key_A && key <= Qt::Key_Z ? static_cast<char32_t>(key - Qt::Key_A + 1) : 0;
    if (alt && !ctrl)
        return 0;
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return 0;
    }
    const QList<uint> ucs = event->text().toUcs4();
    if (ucs.isEmpty() || ucs.first() < 0x20 || ucs.first() == 0x7F)
        return 0;
    return static_cast<char32_t>(ucs.first());
}

Qt::CursorShape QtCursor(TCursor cursor)
{
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}
