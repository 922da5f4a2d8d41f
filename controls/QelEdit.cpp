#include "controls/QelEdit.h"

#include "binding/dataclasses.h"
#include "binding/methods.h"
#include "binding/qellogging.h"

#include "toolkit/advstringgrid.h"
#include "toolkit/dialogs.h"

#include <algorithm>
#include <utility>
#include <variant>

namespace {

// Sent to the parent on every double-click.
constexpr unsigned WM_OC_DBLCLICKNOTICE = 0x1C49;

const char* const kNoOI = "Kein OI gesetzt!";

bool isPrintableKey(WORD key)
{
    return key == VK_SPACE || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')
        || (key >= 0xBA && key <= 0xE2);
}

bool isPositiveInteger(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })
        && s.find_first_not_of('0') != std::string::npos;
}

bool endsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The typing state of `edit` for `field`; a state of another field is started anew when
// `create`, else none.
TQelEditTyping* typingState(TQelEditTyping& st, const TQelField* field, bool create)
{
    if (st.field != field) {
        if (!create)
            return nullptr;
        st = TQelEditTyping { field, {}, {}, {} };
    }
    return &st;
}

void rememberShown(TQelEditTyping& state, const TQelField* field, std::string shown, std::string value)
{
    TQelEditTyping* st = typingState(state, field, true);
    st->shown = std::move(shown);
    st->value = std::move(value);
}

// The text the edit showed before the current change: the remembered one while the field still
// holds what was read for it, else the field's text.
std::string shownBefore(TQelEditTyping& state, const TQelField* field, const std::string& valueNow)
{
    const TQelEditTyping* st = typingState(state, field, false);
    return st && st->value == valueNow ? st->shown : valueNow;
}

int commonPrefixChars(const std::string& a, const std::string& b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    while (n > 0 && n < a.size() && (static_cast<unsigned char>(a[n]) & 0xC0) == 0x80)
        --n; // not inside a character
    return static_cast<int>(Utf8Length(std::string_view(a).substr(0, n)));
}

// The selection [start, end) of `before` that the change to `now` (caret at `caret`) replaced:
// what follows the caret was there before as well, and the shared start was kept.
std::pair<int, int> replacedSelection(const std::string& before, const std::string& now, int caret)
{
    const int oldLen = static_cast<int>(Utf8Length(before));
    const int newLen = static_cast<int>(Utf8Length(now));
    const int end = std::clamp(oldLen - (newLen - caret), 0, oldLen);
    const int start = std::max(0, std::min({ commonPrefixChars(before, now), caret, end }));
    return { start, end };
}

// The time of day of a date-time field's value ("14:30:00"), "" when it has none. A text that
// could not be read leaves the last value in place, time included.
std::string timeOfDay(const TQelField* f)
{
    const auto* iso = std::get_if<std::string>(&f->Value());
    if (!iso)
        return {};
    const std::size_t sp = iso->find(' ');
    return sp == std::string::npos ? std::string() : iso->substr(sp + 1);
}

bool hasDateAndTime(const TQelField* f)
{
    const auto* dt = dynamic_cast<const TQelDateTimeField*>(f);
    return dt && dt->HasDate() && dt->HasTime();
}

// A date typed into an edit that hides the time, completed with the time of day that the field
// held (or held before the text was cleared while typing). A text with a time of its own, an
// empty text and one that does not read as a date are written as they are.
std::string withHiddenTime(TQelEditTyping& state, bool typing, const TQelField* f, const std::string& text)
{
    std::string time = timeOfDay(f);
    if (TQelEditTyping* st = typingState(state, f, typing)) {
        if (!time.empty())
            st->time = time;
        else
            time = st->time;
    }
    const std::string date = Trim(text);
    if (date.empty() || time.empty() || date.find_first_of(" T") != std::string::npos)
        return text;
    const std::string combined = date + " " + time;
    return f->Readable(combined) ? combined : text;
}

} // namespace

TQelEdit::TQelEdit(TComponent* owner)
    : TQelDataControl(owner)
{
    link_.hooks.kindMask = [this] {
        return link_.FieldProp().empty() ? TQelObjectInterface::oiField : TQelObjectInterface::oiVector;
    };
    link_.hooks.read = [this] { showStored(); };
    link_.hooks.write = [this] { write(Text()); };
    link_.hooks.touched = [this](TQelObjectInterface*, bool own) {
        if (own) {
            // Another control wrote our field: show it, unless we are being typed into.
            if (!Focused())
                showStored();
        } else if (Connected() && !typedPending()) {
            // Input typed into a vector or property edit is written on exit: it stays.
            showStored();
        }
    };
    link_.hooks.vectorChanged = [this] {
        if (!typedPending())
            showStored();
    };
    link_.hooks.readOnlyChanged = [this](bool v) { readOnlyLook(v); };
    link_.hooks.searchCondition = [this](const std::string& column) {
        return TQelCommonMethods::FieldSearchCond(link_.SearchDef(), column, Text());
    };
    link_.hooks.paintMark = [this](TColor c) {
        SetColor(c);
        SetNormalColor(c);
    };
    link_.hooks.pathChanged = [this](const std::string& old) {
        if (!dynamic_cast<TStringGrid*>(Parent()) && LabelCaption() == old)
            SetLabelCaption(link_.FieldPath());
    };

    SetDisabledColor(clBtnFace);
    SetShowHint(true);
    SetEnabled(false);
    SetLabelPosition(lpTopLeft);
    SetFocusBorder(false);
    SetParentFont(true);
    SetParentColor(false);

    PublishBinding(qelPublishAll);
    Publish<&TQelEdit::get_Text, &TQelEdit::set_Text>("Text");
    PublishSet<&TQelEdit::get_EditOptions, &TQelEdit::set_EditOptions, kQelEditOptionNames>("EditOptions");
}

void TQelEdit::readOnlyLook(bool v)
{
    SetReadOnly(v);
    SetBorderStyle(v ? bsNone : bsSingle);
    const TColor c = v ? clBtnFace : clWindow;
    SetColor(c);
    SetNormalColor(c);
}

void TQelEdit::set_EditOptions(TQelEditOptions options)
{
    if (options == options_)
        return;
    if (options.Contains(eoLabelLook) && !options_.Contains(eoLabelLook)) {
        SetReadOnly(true);
        SetColor(clBtnFace);
        SetNormalColor(clBtnFace);
        SetBorderStyle(bsNone);
    } else {
        SetReadOnly(false);
        SetColor(clWindow);
        SetNormalColor(clWindow);
        SetBorderStyle(bsSingle);
    }
    options_ = options;
}

bool TQelEdit::isDateTime() const
{
    TQelField* f = Field();
    return f && f->Urtyp() == qelft::DateTime;
}

std::string TQelEdit::read() const
{
    if (TQelField* f = Field()) {
        if (options_.Contains(eoHideTime) && isDateTime())
            return f->GetFormatted(1);
        if (TQelBlobField* blob = BlobField()) {
            blob->set_Loaded(true);
            return blob->BufferAsString();
        }
        return f->AsString();
    }
    if (TQelVector* v = Vector())
        return v->GetAll(link_.FieldProp(), ',');
    if (PropConnection())
        if (TQelFieldList* fl = FieldList())
            return fl->GetPropA(link_.FieldProp(), "");
    return {};
}

void TQelEdit::write(const std::string& text)
{
    auto writing = link_.WriteScope();
    if (TQelField* f = Field()) {
        if (options_.Contains(eoHideTime) && isDateTime()) {
            if (text == f->GetFormatted(1))
                return; // the shown date without its time: keep the stored time
            if (hasDateAndTime(f)) {
                f->set_AsString(withHiddenTime(typing_, Focused(), f, text));
                return;
            }
        }
        if (TQelBlobField* blob = BlobField()) {
            blob->set_Loaded(true);
            blob->set_BufferAsString(text);
        } else {
            f->set_AsString(text);
        }
    } else if (TQelVector* v = Vector()) {
        // Only what the user changed against what was shown: the text may be older than the
        // vector (elements removed elsewhere), and must not write one element's value into another.
        v->SetAllChanged(link_.FieldProp(), stored_, text, ',');
        stored_ = read();
    } else if (PropConnection()) {
        if (TQelFieldList* fl = FieldList(); fl && text != stored_) {
            fl->SetPropA(link_.FieldProp(), text, false);
            stored_ = read();
        }
    }
}

void TQelEdit::show(const std::string& text)
{
    auto showing = link_.ShowScope();
    SetText(text);
}

void TQelEdit::showStored()
{
    stored_ = read();
    show(stored_);
}

bool TQelEdit::typedPending() const
{
    return Focused() && (Vector() || PropConnection()) && Text() != stored_;
}

bool TQelEdit::dead_end() const
{
    TQelField* f = Field();
    if (!f)
        return false;
    const std::string text = Text();
    if (options_.Contains(eoAcceptWithoutDelimiters) && isDateTime() && isPositiveInteger(text)
        && Utf8Length(text) < 9)
        return false; // a date typed as digits only
    return f->DeadEnd(text);
}

void TQelEdit::Change()
{
    if (!link_.Showing() && link_.Materialize() && Field()) {
        const std::string text = Text();
        if (text.find('\t') != std::string::npos) {
            std::string clean = text;
            std::erase(clean, '\t');
            SetText(clean); // runs the change handling again
            return;
        }
        const int caret = SelStart();
        const bool accepted
            = text == Field()->NullValue() || caret != static_cast<int>(Utf8Length(text)) || !dead_end();
        if (accepted) {
            write(text);
        } else {
            // Take the key back: the text and the selection from before it, so that further keys
            // go where they went before.
            const std::string before = shownBefore(typing_, Field(), read());
            const auto [start, end] = replacedSelection(before, text, caret);
            show(before);
            SetSelStart(start);
            SetSelLength(end - start);
        }
        link_.Edited();
    }
    if (Field() && Focused())
        rememberShown(typing_, Field(), Text(), read());
    TAdvEdit::Change();
}

std::string TQelEdit::normalised(const std::string& text) const
{
    TQelField* f = Field();
    std::string s = Trim(text);
    if (f->Urtyp() == qelft::Amount) {
        if (endsWith(s, "%"))
            s.pop_back();
        else if (endsWith(s, "€"))
            s.resize(s.size() - std::string("€").size());
        std::size_t cut = s.find(",-");
        if (cut == std::string::npos)
            cut = s.find(".-");
        if (cut != std::string::npos)
            s.resize(cut);
        return s;
    }
    if (f->Urtyp() == qelft::DateTime) {
        if (options_.Contains(eoAcceptWithoutDelimiters) && isPositiveInteger(s))
            s = InsertDelimiters(s);
        return s;
    }
    if (f->IsA(qelft::StringOption))
        if (auto* sf = dynamic_cast<TQelStringField*>(f); sf && sf->StringOption())
            return text;
    return s;
}

void TQelEdit::exitHandling()
{
    if (!Connected()) {
        typing_ = {};
        return;
    }
    if (Vector() || PropConnection())
        write(Text());
    showStored();
    if (Field()) {
        const std::string n = normalised(Text());
        if (n != Text()) {
            show(n);
            write(n); // a date under eoHideTime keeps the stored time
        }
    }
    typing_ = {};
}

void TQelEdit::set_mark(bool mark, int index, TColor color, unsigned flags)
{
    link_.SetMark(mark ? index : 0, color, flags);
}

void TQelEdit::Repaint()
{
    const std::string value = read();
    if (Vector() || PropConnection())
        stored_ = value;
    if (Connected() && Text() != value)
        SetText(value); // the change handling runs, as for typed text
    TAdvEdit::Repaint();
}

void TQelEdit::DoEnter()
{
    TAdvEdit::DoEnter();
    link_.TellFormEnter();
    if (!PopupMenu())
        buildContextMenu();
}

void TQelEdit::DoExit()
{
    exitHandling();
    TAdvEdit::DoExit();
    if (link_.Marked())
        link_.Unmark();
    link_.TellFormExit();
}

void TQelEdit::KeyDown(WORD& key, TShiftState shift)
{
    const bool ctrl = shift.Contains(ssCtrl);
    if (key == VK_TAB) {
        SetSelLength(0);
    } else if (key == VK_F4) {
        if (OI())
            OnEditEvent(this, 1, OI());
    } else if (key == VK_F6 && ctrl) {
        if (QelDebugMode() && OI())
            ShowMessage(TQelCommonMethods::ConnectionInfo(this, OI(), FieldList(), get_FieldPath()));
    } else if (key == VK_F7 && ctrl) {
        Reconnect();
    }
    const WORD pressed = key;
    TAdvEdit::KeyDown(key, shift);
    if (ctrl && !shift.Contains(ssShift) && !shift.Contains(ssAlt) && isPrintableKey(pressed)) {
        if (TCustomForm* form = TQelCommonMethods::GetFormA(this)) {
            std::string snippet;
            if (form->Perform(WM_OC_TEXTSNIPPET, pressed, reinterpret_cast<LPARAM>(&snippet)) != 0)
                SetSelText(snippet);
        }
    }
}

void TQelEdit::KeyPress(char32_t& key)
{
    if (key == U',' && isDateTime())
        key = U'.';
    TAdvEdit::KeyPress(key);
}

void TQelEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && shift.Contains(ssDouble) && OI())
        OnEditEvent(this, 1, OI());
    TAdvEdit::MouseDown(button, shift, x, y);
}

void TQelEdit::DblClick()
{
    if (Parent())
        Parent()->Perform(WM_OC_DBLCLICKNOTICE, reinterpret_cast<WPARAM>(static_cast<TControl*>(this)), 0);
    if (QelDebugMode() && (GetKeyState(VK_CONTROL) & 0x8000))
        ShowMessage(OI() ? OI()->Path() + ":\n\n" + OI()->Info() : std::string(kNoOI));
    TAdvEdit::DblClick();
}

void TQelEdit::buildContextMenu()
{
    auto* menu = new TPopupMenu(this);
    TQelCommonMethods::AddClipboardItems(menu, this, [this] { return options_.Contains(eoEscapeUnicode); });
    SetPopupMenu(menu);
}

void TQelEdit::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_KEYDOWN:
        if (Parent())
            Parent()->Perform(WM_OC_EDITORKEYDOWN, m.WParam, m.LParam);
        break;
    case WM_OC_CONTROLEXIT:
        exitHandling();
        if (link_.Marked())
            link_.Unmark();
        return;
    default:
        break;
    }
    TQelDataControl::WndProc(m);
}

TQelEditLink::TQelEditLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi)
    : TQelCommonLink(grid, spec, oi)
{
}

void TQelEditLink::CreateEditor(TWinControl* parent)
{
    auto* edit = new TQelEdit(OwnerGrid());
    TQelField* field = QelSafeCast<TQelField>(OI());
    if (OwnerGrid() && field)
        OwnerGrid()->Perform(
            WM_OC_INITEDITOR, reinterpret_cast<WPARAM>(static_cast<TControl*>(edit)), QelOIToParam(field));
    AttachEditControl(edit, parent);
}

void TQelEditLink::BindEditor(TWinControl* editor, TQelFieldList* fl)
{
    if (auto* edit = dynamic_cast<TQelEdit*>(editor))
        BindDataLink(edit->DataLink(), fl, true);
}

void TQelEditLink::InitEditControl(TWinControl* editor)
{
    TQelCommonLink::InitEditControl(editor);
    if (auto* edit = dynamic_cast<TQelEdit*>(editor)) {
        edit->OnKeyDown = TKeyEvent(static_cast<TEditLink*>(this), &TEditLink::EditKeyDown);
        edit->OnExit = TNotifyEvent(static_cast<TEditLink*>(this), &TEditLink::EditExit);
        edit->SetLabelCaption("");
        SetWantKeyLeftRight(true);
        SetWantKeyHomeEnd(true);
        SetWantKeyPriorNext(true);
    }
}

std::string TQelEditLink::GetEditorValue()
{
    return editControl_ ? editControl_->Text() : std::string();
}

void TQelEditLink::SetEditorValue(const std::string& value)
{
    if (!editControl_) {
        QelLogError("TQelEditLink::SetEditorValue(): ed == 0");
        return;
    }
    editControl_->SetText(value);
}

void TQelEdit::UnitInitialize()
{
    QelRegisterLinkFactory(TQelLinkKind::Edit, QelLinkFactory<TQelEditLink>());
}

void TQelEdit::UnitFinalize()
{
    QelRegisterLinkFactory(TQelLinkKind::Edit, nullptr);
}
