#include "binding/qelcontainerlink.h"

#include "binding/methods.h"
#include "binding/qeldatalink.h"
#include "binding/qellogging.h"
#include "binding/qelmessages.h"

TQelContainerLink::TQelContainerLink(TControl* control)
    : control_(control)
{
}

TQelContainerLink::~TQelContainerLink()
{
    Forget();
    DropVector();
}

void TQelContainerLink::Hold(const TQelFieldList* fl)
{
    if (fl == Given())
        return;
    given_.set(const_cast<TQelFieldList*>(fl));
    DropVector();
}

void TQelContainerLink::Forget()
{
    SetConnected(nullptr);
    if (TQelVector* v = ElementVector())
        v->DisconnectControl(this);
    elementVector_.set(nullptr);
    ref_.set(nullptr);
    watchPending(false);
    pending_.clear();
    pendingFull_.clear();
}

void TQelContainerLink::watchPending(bool on)
{
    if (on == pendingWatch_)
        return;
    TQelFieldList* fl = Given();
    if (on && !fl)
        return;
    pendingWatch_ = on;
    if (on)
        fl->ConnectControl(this);
    else if (fl && fl != Connected())
        fl->DisconnectControl(this);
}

void TQelContainerLink::resolvePending()
{
    TQelFieldList* fl = Given();
    if (pending_.empty() || !fl)
        return;
    auto* sub = QelSafeCast<TQelSubObject>(fl->FindOI(pendingFull_, TQelObjectInterface::oiSubObject, false));
    if (!sub)
        return;
    watchPending(false);
    pending_.clear();
    pendingFull_.clear();
    SetConnected(sub->FieldList());
}

void TQelContainerLink::DropVector()
{
    if (TQelVector* v = Vector())
        v->DisconnectControl(this);
    vector_.set(nullptr);
}

void TQelContainerLink::SetConnected(TQelFieldList* fl)
{
    if (fl == Connected())
        return;
    if (TQelFieldList* old = Connected())
        old->DisconnectControl(this);
    connected_.set(fl);
    if (fl)
        fl->ConnectControl(this);
}

void TQelContainerLink::warn(const std::string& path)
{
    if (warnedPath_ == path)
        return;
    warnedPath_ = path;
    QelLogWarning("%s %s: FieldPath \"%s\" bezeichnet nichts in %s", control_->ClassName(), control_->Name(),
        path, Given()->Path());
}

TQelContainerLink::TFound TQelContainerLink::Resolve(const std::string& path, unsigned kinds)
{
    TQelFieldList* fl = Given();
    if (!fl || path.empty())
        return fNothing;
    const std::string& prefix = TQelPathPrefixScope::Current();
    const std::string full = prefix.empty() ? path : prefix + "." + path;
    // A sub-object's name also names its vector: ask for the element first.
    TQelObjectInterface* oi = fl->FindOI(full, TQelObjectInterface::oiSubObject, false);
    if (!oi)
        oi = fl->FindOI(full, TQelObjectInterface::oiVector | TQelObjectInterface::oiField, false);
    if (auto* v = QelSafeCast<TQelVector>(oi); v && v->Single())
        oi = nullptr; // a sub-object still to be created
    if (auto* sub = QelSafeCast<TQelSubObject>(oi); sub && (kinds & Accepts(fSubObject))) {
        SetConnected(sub->FieldList());
        watchElementVector(sub->ParentVector());
        return fSubObject;
    }
    if (auto* v = QelSafeCast<TQelVector>(oi); v && (kinds & Accepts(fVector))) {
        DropVector();
        vector_.set(v);
        v->ConnectControl(this);
        return fVector;
    }
    if (auto* ref = QelSafeCast<TQelRefField>(oi); ref && (kinds & Accepts(fReference))) {
        ref_.set(ref);
        if (ref->AsKey().Valid())
            if (TQelObject* target = ref->get_AsObject())
                SetConnected(target->FieldList());
        return fReference;
    }
    if (!oi && fl->PathResolvable(full, TQelObjectInterface::oiSubObject)) {
        // A sound path: a sub-object waits for its first write; a vector element that is not
        // there shows nothing until its vector has it.
        if (full.back() != ']' || pendingElements) {
            if (!(kinds & Accepts(fPending)))
                return fNothing;
            pending_ = path;
            pendingFull_ = full;
            watchPending(true);
            return fPending;
        }
        watchElementVector(fl->FindOI(full.substr(0, full.rfind('[')), TQelObjectInterface::oiVector, false));
        return fNothing;
    }
    warn(full);
    return fNothing;
}

void TQelContainerLink::watchElementVector(TQelObjectInterface* oi)
{
    auto* v = QelSafeCast<TQelVector>(oi);
    if (!v || v->Single() || v == Vector() || v == ElementVector())
        return;
    elementVector_.set(v);
    v->ConnectControl(this);
}

int TQelContainerLink::ConnectChildren(TWinControl* parent, bool onlyIfUnconnected) const
{
    if (!pending_.empty()) {
        TQelPathPrefixScope below(pending_);
        return TQelCommonMethods::ConnectSubControls(parent, Given(), onlyIfUnconnected);
    }
    return TQelCommonMethods::ConnectSubControls(parent, Connected(), onlyIfUnconnected);
}

bool TQelContainerLink::Forget(const TQelObjectInterface* oi)
{
    if (!oi)
        return false;
    bool held = false;
    // Gone: drop the pointer without unregistering.
    if (oi == connected_.p) {
        connected_.set(nullptr);
        held = true;
    }
    if (oi == vector_.p) {
        vector_.set(nullptr);
        held = true;
    }
    if (oi == given_.p) {
        given_.set(nullptr);
        pendingWatch_ = false; // gone: no unregister
        held = true;
    }
    if (oi == elementVector_.p) {
        elementVector_.set(nullptr);
        held = true;
    }
    if (oi == ref_.p) {
        ref_.set(nullptr);
        held = true;
    }
    return held;
}

int TQelContainerLink::Locate(const TQelObjectInterface* self, const TQelObjectInterface* oi)
{
    if (!self || !oi)
        return 0;
    if (oi == self)
        return 2;
    return oi->IsPartOf(self) ? 1 : 0;
}

LRESULT TQelContainerLink::Perform(unsigned msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_ODB_ELEMENTADDED && !pending_.empty())
        resolvePending();
    return control_->Perform(msg, wParam, lParam);
}

void TQelContainerLink::ResolveOwn(const std::string& path, unsigned kinds)
{
    if (!Given() || Vector())
        return;
    if (path.empty())
        SetConnected(Given());
    else
        Resolve(path, kinds);
}

void TQelContainerLink::ShowUsable(TControl* container, bool usable, bool autoVisibility)
{
    if (container->ComponentState().Contains(csDestroying))
        return;
    container->SetEnabled(usable);
    if (autoVisibility)
        container->SetVisible(usable);
}

void TQelContainerLink::AutoVisibilitySwitched(TControl* container, bool usable, bool autoVisibility)
{
    container->SetVisible(!autoVisibility || usable);
}

bool TQelContainerLink::AnswerCommon(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return true;
    case WM_OC_SETREADONLY:
        m.Result = 0;
        return true;
    default:
        break;
    }
    if (m.Msg >= WM_ODB_FIRST && m.Msg <= WM_ODB_LAST) {
        m.Result = 0;
        return true;
    }
    return false;
}
