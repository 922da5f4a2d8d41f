#include "controls/QelTabControl.h"

#include "binding/methods.h"
#include "binding/qeldatalink.h"
#include "binding/qelmessages.h"

#include <algorithm>

TQelTabControl::TQelTabControl(TComponent* owner)
    : TCustomTabControl(owner)
{
    Publish<&TQelTabControl::get_FieldPath, &TQelTabControl::set_FieldPath>("FieldPath");
    PublishSet<&TQelTabControl::get_TabControlOptions, &TQelTabControl::set_TabControlOptions,
        kQelTabControlOptionNames>("TabControlOptions");
    Publish<&TQelTabControl::get_TabIndex, &TQelTabControl::set_TabIndex>("TabIndex");
    Publish<&TQelTabControl::get_VectorIndex, &TQelTabControl::set_VectorIndex>("VectorIndex");
}

TQelTabControl::~TQelTabControl()
{
    Destroying();
}

TQelFieldList* TQelTabControl::ElementFieldList() const
{
    TQelVector* v = link_.Vector();
    return v ? v->FieldList(TabIndex() + 1) : nullptr;
}

int TQelTabControl::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (onlyIfUnconnected && Connected())
        return 0;
    link_.DropVector();
    link_.Hold(fl);
    int count = 0;
    if (link_.Resolve(fieldPath_, TQelContainerLink::Accepts(TQelContainerLink::fVector))
        == TQelContainerLink::fVector) {
        refresh_tabs(0);
        if (TabIndex() < 0 && TabCount() > 0)
            TCustomTabControl::SetTabIndex(0);
        count = 1;
    } else {
        ClearTabs();
    }
    count += connectChildren();
    updateState();
    return count;
}

void TQelTabControl::updateState()
{
    TQelContainerLink::ShowUsable(this, Connected(), options_.Contains(toAutoVisibility));
}

int TQelTabControl::connectChildren()
{
    return TQelCommonMethods::ConnectSubControls(this, ElementFieldList(), false);
}

void TQelTabControl::refresh_tabs(int k)
{
    int wanted = k != 0 ? k : TabIndex() + 1;
    ClearTabs();
    if (TQelVector* v = link_.Vector())
        for (int i = 1; i <= v->Count(); ++i) {
            AddTab(caption(i));
        }
    if (wanted < 0)
        wanted = TabCount() + 1 + wanted;
    wanted = std::min(wanted, TabCount());
    TCustomTabControl::SetTabIndex(std::max(wanted, 0) - 1);
}

std::string TQelTabControl::caption(int index)
{
    TQelSubObject* element = link_.Vector()->Item(index);
    std::string text = element->Name();
    OnGetCaption(this, index, element, text);
    return text;
}

void TQelTabControl::set_FieldPath(const std::string& path)
{
    if (path == fieldPath_)
        return;
    fieldPath_ = path;
    if (link_.Given())
        ConnectFL(link_.Given(), false);
}

void TQelTabControl::set_TabControlOptions(TQelTabControlOptions options)
{
    if (options.Contains(toAutoVisibility) != options_.Contains(toAutoVisibility))
        TQelContainerLink::AutoVisibilitySwitched(this, Connected(), options.Contains(toAutoVisibility));
    options_ = options;
}

void TQelTabControl::set_TabIndex(int index)
{
    if (index >= 0 && index < TabCount())
        TCustomTabControl::SetTabIndex(index);
    connectChildren();
}

void TQelTabControl::set_VectorIndex(int index)
{
    if (index != get_VectorIndex())
        set_TabIndex(index - 1);
}

void TQelTabControl::Change()
{
    TCustomTabControl::Change();
    connectChildren();
}

void TQelTabControl::WndProc(TMessage& m)
{
    TQelObjectInterface* oi = QelOIFromParam(m.LParam);
    switch (m.Msg) {
    case WM_OC_SETVECTORINDEX:
        set_VectorIndex(static_cast<int>(m.WParam));
        m.Result = 0;
        return;
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(link_.Vector());
        return;
    case WM_OC_LOCATE: {
        TQelVector* v = link_.Vector();
        m.Result = TQelContainerLink::Locate(v, oi);
        // Jumping: the tab of the last element that holds it.
        if (m.WParam == 1 && m.Result == 1)
            for (int i = v->Count(); i >= 1; --i)
                if (oi->IsPartOf(v->Item(i))) {
                    if (i - 1 != TabIndex())
                        set_TabIndex(i - 1);
                    break;
                }
        return;
    }
    case WM_ODB_OIDESTROYED:
        if (link_.Forget(oi) && !link_.Vector() && !ComponentState().Contains(csDestroying)) {
            ClearTabs();
            updateState();
        }
        m.Result = 0;
        return;
    case WM_ODB_FIELDTOUCHED:
        // A typed value may change an element's name: its tab caption follows.
        if (TQelVector* v = link_.Vector(); v && oi && oi->IsPartOf(v))
            for (int i = 1; i <= v->Count(); ++i)
                if (oi->IsPartOf(v->Item(i))) {
                    SetTabCaption(i - 1, caption(i));
                    break;
                }
        m.Result = 0;
        return;
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
    case WM_ODB_VECTORCHANGED:
        // Moves and exchanges keep the tab count but change what each tab shows.
        if (m.Msg != WM_ODB_VECTORCHANGED || oi == link_.Vector()) {
            refresh_tabs(0);
            if (TabIndex() < 0 && TabCount() > 0)
                TCustomTabControl::SetTabIndex(TabCount() - 1);
            connectChildren();
        }
        m.Result = 0;
        return;
    default:
        break;
    }
    if (!TQelContainerLink::AnswerCommon(m))
        TCustomTabControl::WndProc(m);
}
