#include "controls/QelPanel.h"

#include "binding/methods.h"
#include "binding/qeldatalink.h"
#include "binding/qellogging.h"
#include "binding/qelmessages.h"
#include "binding/qeltimerglue.h"
#include "pickers/QelCombo.h"

#include "toolkit/dialogs.h"

namespace {

constexpr int kReconnectTimer = 1;

bool containsItem(const std::string& list, const std::string& item)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (list.compare(start, end - start, item) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

TQelPanel::TQelPanel(TComponent* owner)
    : TCustomPanel(owner)
{
    SetShowCaption(false);
    SetBevelOuter(bvNone);
    Publish<&TQelPanel::get_FieldPath, &TQelPanel::set_FieldPath>("FieldPath");
    PublishSet<&TQelPanel::get_PanelOptions, &TQelPanel::set_PanelOptions, kQelPanelOptionNames>(
        "PanelOptions");
    Publish<&TQelPanel::get_VectorIndex, &TQelPanel::set_VectorIndex>("VectorIndex");
    Publish<&TQelPanel::get_VectorConstraints, &TQelPanel::set_VectorConstraints>("VectorConstraints");
    Publish<&TQelPanel::get_CheckClassType, &TQelPanel::set_CheckClassType>("CheckClassType");
}

TQelPanel::~TQelPanel()
{
    Destroying();
    timer_.StopAll();
    link_.Forget();
    link_.DropVector();
    OnDestroy(this);
}

bool TQelPanel::get_SearchMode() const
{
    return options_.Contains(poSearchObject) && link_.RefField() != nullptr;
}

void TQelPanel::set_FieldPath(const std::string& path)
{
    if (path == fieldPath_)
        return;
    fieldPath_ = path;
    link_.DropVector();
    reconnectNow();
}

void TQelPanel::set_VectorConstraints(const std::string& constraints)
{
    if (constraints == constraints_)
        return;
    constraints_ = constraints;
    reconnectNow();
}

void TQelPanel::set_VectorIndex(int index)
{
    if (index == vectorIndex_)
        return;
    vectorIndex_ = index;
    reconnectNow();
}

void TQelPanel::set_PanelOptions(TQelPanelOptions options)
{
    if (options.Contains(poAutoVisibility) != options_.Contains(poAutoVisibility))
        TQelContainerLink::AutoVisibilitySwitched(
            this, Connected() || get_SearchMode(), options.Contains(poAutoVisibility));
    options_ = options;
}

void TQelPanel::reconnectNow()
{
    if (link_.Given())
        ConnectFL(link_.Given(), false);
}

void TQelPanel::Reconnect(int delay)
{
    if (delay <= 0) {
        reconnectNow();
        return;
    }
    timer_.set_Tasks(QelTimerTasksOf(link_.Given() ? link_.Given()->Database() : nullptr));
    if (!timer_.get_Tasks()) {
        reconnectNow(); // no database to wait on
        return;
    }
    timer_.Start(kReconnectTimer, delay, [this](TQelTaskId, std::intptr_t) {
        timer_.Stop(kReconnectTimer);
        reconnectNow();
    });
}

void TQelPanel::chooseElement()
{
    TQelVector* v = link_.Vector();
    std::string constraints = constraints_;
    // Validity vectors: the standard or the active element, unless the constraints ask for it.
    if (v->Kind() == qelcls::Gueltigkeit) {
        const char* wanted = options_.Contains(poStandardOnly) ? "s"
            : options_.Contains(poActiveOnly)                  ? "a"
                                                               : "";
        if (*wanted && !containsItem(constraints, wanted))
            constraints += (constraints.empty() ? "" : ",") + std::string(wanted);
    }
    const bool allocate = !readOnly_ && options_.Contains(poAllocateIfVector);
    const int index = !constraints.empty() ? v->IndexOfFirst(constraints, allocate, false)
                                           : v->IndexOfNext(vectorIndex_, "", allocate, false);
    // The wanted index stays when nothing fits, so an element added later is found there.
    if (index >= 1) {
        vectorIndex_ = index;
        link_.SetConnected(v->FieldList(index));
    }
}

bool TQelPanel::classCheck() const
{
    TQelFieldList* fl = link_.Connected();
    if (checkClassType_.empty() || !fl)
        return true;
    TQelDatabase* db = fl->Database();
    const TQelKlasse* cls = db ? db->FindClass(checkClassType_) : nullptr;
    return cls && cls == fl->Klasse();
}

int TQelPanel::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (busy_ || (onlyIfUnconnected && Connected()))
        return 0;
    TFlagScope busy(busy_);
    if (Connected())
        BeforeDisconnect(this);
    link_.Forget();
    link_.Hold(fl);

    if (link_.Given()) {
        using L = TQelContainerLink;
        link_.ResolveOwn(fieldPath_,
            L::Accepts(L::fSubObject) | L::Accepts(L::fVector) | L::Accepts(L::fReference)
                | L::Accepts(L::fPending));
        if (TQelVector* v = link_.Vector()) {
            chooseElement();
            if (!link_.Connected() && !readOnly_ && options_.Contains(poAllocateIfVector)
                && vectorIndex_ == v->Count() + 1)
                if (TQelSubObject* added = v->Add()) {
                    if (options_.Contains(poStandardOnly) && added->IsValidity())
                        if (TQelField* standard = added->FieldList()->FindField("Standard"))
                            standard->set_AsBool(true);
                    link_.SetConnected(added->FieldList());
                }
        }
        if (!classCheck())
            link_.SetConnected(nullptr);
    }

    int count = Connected() ? 1 : 0;
    count += link_.ConnectChildren(this, onlyIfUnconnected);

    if (get_SearchMode()) {
        searching_ = true;
        TQelCommonMethods::PerformRecursively(this, WM_OC_ENTERSEARCHMODE,
            static_cast<WPARAM>(link_.RefField()->ClassType().Id()),
            reinterpret_cast<LPARAM>(static_cast<TWinControl*>(this)), true);
    } else if (searching_) {
        searching_ = false;
        TQelCommonMethods::PerformRecursively(this, WM_OC_ENTERSEARCHMODE, 0, 0, true);
    }
    updateVisibility();
    if (Connected())
        AfterConnect(this);
    return count;
}

void TQelPanel::updateVisibility()
{
    TQelContainerLink::ShowUsable(this, Connected() || get_SearchMode(), options_.Contains(poAutoVisibility));
}

void TQelPanel::Repaint()
{
    TCustomPanel::Repaint(); // the children refresh themselves
}

void TQelPanel::DoEnter()
{
    TCustomPanel::DoEnter();
    // Only a focus given to the panel itself goes on to its first child: a click into one of its
    // children keeps the focus where the user put it.
    if (!Focused())
        return;
    if (TWinControl* first = TQelCommonMethods::FindNextControl(this, nullptr, true, false, true))
        if (first->CanFocus())
            first->SetFocus();
}

void TQelPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && shift.Contains(ssCtrl) && QelDebugMode())
        ShowMessage(TQelCommonMethods::ConnectionInfo(this, link_.Connected(), link_.Given(), fieldPath_));
    TCustomPanel::MouseDown(button, shift, x, y);
}

void TQelPanel::WndProc(TMessage& m)
{
    TQelObjectInterface* oi = QelOIFromParam(m.LParam);
    switch (m.Msg) {
    case WM_OC_GETFIELD:
        m.Result = QelOIToParam(link_.Connected());
        return;
    case WM_OC_LOCATE: {
        // The vector itself, else anything inside it or inside the shown field list: JumpTo then
        // looks among the children.
        const int onVector = TQelContainerLink::Locate(link_.Vector(), oi);
        m.Result = onVector ? onVector : std::min(1, TQelContainerLink::Locate(link_.Connected(), oi));
        return;
    }
    case WM_OC_SETREADONLY:
        readOnly_ = m.WParam != 0;
        m.Result = 0;
        return;
    case WM_OC_SETMARK:
        m.Result = 0;
        for (int i = 0; i < GetControlCount() && m.Result == 0; ++i)
            m.Result = GetControl(i)->Perform(m.Msg, m.WParam, m.LParam);
        return;
    case WM_OC_SEARCHCHANGED:
        m.Result = Search(
            static_cast<int>(m.WParam), dynamic_cast<TQelCombo*>(reinterpret_cast<TControl*>(m.LParam)));
        return;
    case WM_OC_PANELCLEARCOMBOS:
        if (get_SearchMode())
            clearCombos(reinterpret_cast<TControl*>(m.LParam));
        m.Result = 0;
        return;
    case WM_OC_SUSPENDVECTOR:
        suspended_ = m.WParam == 1;
        if (!suspended_)
            reconnectNow();
        m.Result = 0;
        return;
    case WM_OC_SETVECTORINDEX:
        set_VectorIndex(static_cast<int>(m.WParam));
        m.Result = 0;
        return;
    case WM_ODB_OIDESTROYED:
        link_.Forget(oi);
        m.Result = 0;
        return;
    case WM_ODB_OISTORED:
    case WM_ODB_OIROLLEDBACK:
    case WM_ODB_OIRELOADED:
        if (TQelVector* v = link_.Vector(); v && !suspended_ && oi && (v->IsPartOf(oi) || oi->IsPartOf(v)))
            reconnectNow();
        m.Result = 0;
        return;
    case WM_ODB_ELEMENTADDED:
    case WM_ODB_ELEMENTREMOVED:
        if (!suspended_ && oi && (oi == link_.Vector() || oi == link_.ElementVector()))
            reconnectNow();
        m.Result = 0;
        return;
    case WM_ODB_STANDARDCHANGED:
        if (oi && oi == link_.Vector() && options_.Contains(poStandardOnly))
            reconnectNow();
        m.Result = 0;
        return;
    default:
        break;
    }
    // Other notices: the children follow by themselves.
    if (!TQelContainerLink::AnswerCommon(m))
        TCustomPanel::WndProc(m);
}
