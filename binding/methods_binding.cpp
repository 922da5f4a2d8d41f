// Binding walk and control-tree helpers of TQelCommonMethods.
#include "binding/dataclasses.h"
#include "binding/methods.h"
#include "binding/qeldatalink.h"
#include "binding/qelmessages.h"

#include "toolkit/comctrls.h"

#include <algorithm>

namespace {

TWinControl* windowed(TControl* c)
{
    return dynamic_cast<TWinControl*>(c);
}

} // namespace

namespace {

// One step of the walk: a data control connects, an embedded form is asked to connect its own
// controls, any other windowed control is walked through.
int connectChild(TControl* child, TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (const TQelDataClassEntry* e = QelFindDataClass(child))
        return e->connect(child, fl, onlyIfUnconnected);
    if (auto* form = dynamic_cast<TCustomForm*>(child)) {
        const LRESULT r
            = form->Perform(WM_OC_CONNECTFORM, onlyIfUnconnected ? 1 : 0, reinterpret_cast<LPARAM>(fl));
        if (r != 0)
            return static_cast<int>(r);
    }
    if (TWinControl* w = windowed(child))
        return TQelCommonMethods::ConnectSubControls(w, fl, onlyIfUnconnected);
    return 0;
}

} // namespace

int TQelCommonMethods::ConnectSubControls(TWinControl* parent, TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (!parent)
        return 0;
    int sum = 0;
    for (int i = 0; i < parent->GetControlCount(); ++i)
        sum += connectChild(parent->GetControl(i), fl, onlyIfUnconnected);
    return sum;
}

int TQelCommonMethods::DisconnectSubControls(TWinControl* parent, bool onlyIfUnconnected)
{
    return ConnectSubControls(parent, nullptr, onlyIfUnconnected);
}

int TQelCommonMethods::ConnectSubControls(QWidget* window, TQelFieldList* fl, bool onlyIfUnconnected)
{
    int sum = 0;
    for (TControl* child : TControl::ControlsIn(window))
        sum += connectChild(child, fl, onlyIfUnconnected);
    return sum;
}

int TQelCommonMethods::DisconnectSubControls(QWidget* window, bool onlyIfUnconnected)
{
    return ConnectSubControls(window, nullptr, onlyIfUnconnected);
}

std::string TQelCommonMethods::FieldPath(TControl* c, bool full)
{
    if (!c)
        return {};
    const TQelDataClassEntry* e = QelFindFieldPathClass(c);
    std::string own = e ? e->fieldPath(c) : std::string();
    if (!full)
        return own;
    std::string parentPath = FieldPath(c->Parent(), true);
    if (parentPath.empty())
        return own;
    if (!own.empty())
        parentPath += "." + own;
    return parentPath;
}

std::string TQelCommonMethods::ConnectionInfo(
    TControl* c, TQelObjectInterface* oi, const TQelFieldList* fl, const std::string& fieldPath)
{
    std::string s;
    s += FormatStr("Name = %s\n\n", c ? c->Name() : std::string("-"));
    s += FormatStr("Base = %s\n\n", fl ? fl->Path() : std::string("-"));
    s += FormatStr("FieldPath = %s\n\n", fieldPath.empty() ? std::string("-") : fieldPath);
    if (!oi)
        return s + "Nicht verbunden.";
    s += FormatStr("Verbunden mit:\n\n%s", oi->Path());
    if (oi->OIType() == TQelObjectInterface::oiFieldList)
        if (auto* sub = QelSafeCast<TQelSubObject>(oi->Owner()))
            if (TQelVector* v = sub->ParentVector())
                s += FormatStr(" (von %d)", v->Count());
    s += FormatStr("\n\n%s", oi->Info());
    return s;
}

TWinControl* TQelCommonMethods::JumpTo(TQelObjectInterface* oi, TWinControl* parent, bool focus)
{
    if (!oi || !parent)
        return nullptr;
    for (int i = 0; i < parent->GetControlCount(); ++i) {
        TControl* child = parent->GetControl(i);
        if (child->Perform(WM_OC_ISDATACONTROL) != 1) {
            auto* sheet = dynamic_cast<TTabSheet*>(child);
            if (!sheet || sheet->TabVisible())
                if (TWinControl* w = windowed(child))
                    if (TWinControl* r = JumpTo(oi, w, focus))
                        return r;
            continue;
        }
        LRESULT answer = 0;
        if (child->Visible() && child->Width() >= 1 && child->Height() >= 1)
            answer = child->Perform(WM_OC_LOCATE, 1, QelOIToParam(oi));
        if (answer == 1) {
            MakeVisible(child, false);
            if (TWinControl* w = windowed(child))
                if (TWinControl* r = JumpTo(oi, w, focus))
                    return r;
        } else if (answer == 2 && child->Enabled() && child->Name().find("INACTIVE") == std::string::npos) {
            MakeVisible(child, focus);
            if (TWinControl* w = windowed(child))
                return w;
        }
    }
    return nullptr;
}

void TQelCommonMethods::MakeVisible(TControl* c, bool focus)
{
    if (!c)
        return;
    if (auto* sheet = dynamic_cast<TTabSheet*>(c))
        if (TPageControl* pc = sheet->PageControl())
            pc->SetActivePage(sheet);
    MakeVisible(c->Parent(), false);
    if (focus)
        if (TWinControl* w = windowed(c))
            if (w->CanFocus())
                w->SetFocus();
}

int TQelCommonMethods::PerformRecursively(
    TControl* c, unsigned msg, WPARAM wParam, LPARAM lParam, bool skipSelf)
{
    if (!c)
        return 0;
    if (!skipSelf)
        c->Perform(msg, wParam, lParam);
    int visited = 1;
    if (TWinControl* w = windowed(c))
        for (int i = 0; i < w->GetControlCount(); ++i)
            visited += PerformRecursively(w->GetControl(i), msg, wParam, lParam, false);
    return visited;
}

TWinControl* TQelCommonMethods::FindFocusedControl(TWinControl* parent)
{
    if (!parent)
        return nullptr;
    if (parent->Focused())
        return parent;
    for (int i = 0; i < parent->GetControlCount(); ++i)
        if (TWinControl* w = windowed(parent->GetControl(i)))
            if (TWinControl* r = FindFocusedControl(w))
                return r;
    return nullptr;
}

TWinControl* TQelCommonMethods::FindNextControl(
    TWinControl* parent, TWinControl* current, bool forward, bool sameParent, bool tabStopOnly)
{
    if (!parent)
        return nullptr;
    std::vector<TWinControl*> list;
    parent->GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    const int step = forward ? 1 : -1;
    int pos = 0;
    auto it = current ? std::find(list.begin(), list.end(), current) : list.end();
    if (it != list.end())
        pos = static_cast<int>(it - list.begin()) + step;
    for (; pos >= 0 && pos < static_cast<int>(list.size()); pos += step) {
        TWinControl* candidate = list[pos];
        if (tabStopOnly && !candidate->TabStop())
            continue;
        if (sameParent && current && candidate->Parent() != current->Parent())
            continue;
        return candidate;
    }
    return nullptr;
}

TWinControl* TQelCommonMethods::FindNextControlInForm(TWinControl* current, bool forward, bool tabStopOnly)
{
    return FindNextControl(top_control(current), current, forward, false, tabStopOnly);
}

void TQelCommonMethods::SelectNext(TWinControl* current, bool forward, bool tabStopOnly)
{
    if (TWinControl* next = FindNextControlInForm(current, forward, tabStopOnly))
        if (next->CanFocus())
            next->SetFocus();
}

TWinControl* TQelCommonMethods::top_control(TWinControl* c)
{
    while (c && c->Parent())
        c = c->Parent();
    return c;
}

TCustomForm* TQelCommonMethods::GetFormA(const TComponent* c)
{
    for (; c; c = c->Owner())
        if (auto* form = dynamic_cast<const TCustomForm*>(c))
            return const_cast<TCustomForm*>(form);
    return nullptr;
}
