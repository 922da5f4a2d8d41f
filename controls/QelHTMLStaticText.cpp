#include "controls/QelHTMLStaticText.h"
#include "QelObjCntrl.h"

#include "binding/dataclasses.h"
#include "binding/qeldatalink.h"
#include "binding/qellogging.h"
#include "binding/qeltimerglue.h"

#include "toolkit/registry.h"

#include <exception>

namespace {

const char* const kEmpty = "(leer)";

// Timer task id of the deferred repaint.
constexpr int kRepaintTask = 1;

std::string joinedLines(const TStrings& lines)
{
    std::string text;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines.Get(i);
    }
    return text;
}

} // namespace

// What the database notifies: passes notifications and refreshes on to the control.
class TQelHTMLStaticText::TTarget final : public TQelNotifyTarget {
public:
    explicit TTarget(TQelHTMLStaticText* control)
        : control_(control)
    {
    }
    LRESULT Perform(unsigned msg, WPARAM wParam, LPARAM lParam) override
    {
        return control_->Perform(msg, wParam, lParam);
    }
    void Repaint() override { control_->Repaint(); }

private:
    TQelHTMLStaticText* control_;
};

TQelHTMLStaticText::TQelHTMLStaticText(TComponent* owner)
    : THTMLStaticText(owner)
    , watchFields_(std::make_unique<TStringList>())
    , target_(std::make_unique<TTarget>(this))
{
    Publish<&TQelHTMLStaticText::get_FieldPath, &TQelHTMLStaticText::set_FieldPath>("FieldPath");
}

TQelHTMLStaticText::~TQelHTMLStaticText()
{
    Destroying();
    timers_.StopAll();
    ConnectFL(nullptr, false);
}

TQelFieldList* TQelHTMLStaticText::FieldList() const
{
    return flAlive_.expired() ? nullptr : fl_;
}

TQelFieldList* TQelHTMLStaticText::BaseFieldList() const
{
    if (refField_ && refField_->AsKey().Valid())
        if (TQelObject* target = refField_->get_AsObject())
            return target->FieldList();
    return FieldList();
}

void TQelHTMLStaticText::unregister()
{
    if (!registeredOn_)
        return;
    TQelObjectInterface* oi = registeredOn_;
    registeredOn_ = nullptr;
    try {
        oi->DisconnectControl(target_.get());
    } catch (const std::exception& e) {
        QelLogError("TQelHTMLStaticText::ConnectFL(): Fehler beim Disconnect von %s: %s", Name(), e.what());
    }
}

int TQelHTMLStaticText::ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
{
    if (onlyIfUnconnected && Connected())
        return 0;
    unregister();
    refField_ = nullptr;
    fl_ = const_cast<TQelFieldList*>(fl);
    flAlive_ = fl ? fl->LifeToken() : std::weak_ptr<bool> {};

    if (fl_) {
        // Only shown, never written: a missing sub-object on the way is not created.
        if (!fieldPath_.empty())
            refField_
                = QelSafeCast<TQelRefField>(fl_->FindOI(fieldPath_, TQelObjectInterface::oiField, false));
        registeredOn_ = refField_ ? static_cast<TQelObjectInterface*>(refField_) : fl_;
        registeredOn_->ConnectControl(target_.get());
        refresh();
    }
    const bool connected = Connected();
    if (!ComponentState().Contains(csDestroying))
        SetVisible(connected);
    return connected ? 1 : 0;
}

int TQelHTMLStaticText::Reconnect()
{
    TQelFieldList* fl = FieldList();
    return fl ? ConnectFL(fl, false) : 0;
}

void TQelHTMLStaticText::set_FieldPath(const std::string& path)
{
    if (path == fieldPath_)
        return;
    fieldPath_ = path;
    Reconnect();
}

void TQelHTMLStaticText::Loaded()
{
    THTMLStaticText::Loaded();
    takeTemplate();
}

void TQelHTMLStaticText::takeTemplate()
{
    template_ = joinedLines(HTMLText());
    templateTaken_ = true;
}

void TQelHTMLStaticText::ChangeHTMLText(const std::string& html)
{
    template_ = html;
    templateTaken_ = true;
    Repaint();
}

void TQelHTMLStaticText::refresh()
{
    // A control built in code was never loaded: its HTML text as first filled is the template.
    if (!templateTaken_)
        takeTemplate();
    TQelFieldList* base = BaseFieldList();
    const std::string text = base ? base->MakeName(template_, "") : std::string(kEmpty);
    if (text != joinedLines(HTMLText()))
        HTMLText().SetText(text);
}

void TQelHTMLStaticText::Repaint()
{
    refresh();
    THTMLStaticText::Repaint();
}

bool TQelHTMLStaticText::watches(const TQelObjectInterface* field) const
{
    return watchFields_->Count() == 0 || watchFields_->IndexOf("*") >= 0
        || watchFields_->IndexOf(field->Name()) >= 0;
}

void TQelHTMLStaticText::scheduleRepaint(TQelDatabase* db)
{
    TQelTimerTasks* tasks = QelTimerTasksOf(db);
    if (!tasks) {
        Repaint(); // no database to defer with
        return;
    }
    timers_.set_Tasks(tasks);
    // Starting a pending task resets it: several touches give one repaint.
    timers_.Start(kRepaintTask, RepaintDelayMs, [this](TQelTaskId task, std::intptr_t) {
        if (TQelTimerTasks* t = timers_.get_Tasks())
            t->Stop(task);
        Repaint();
    });
}

void TQelHTMLStaticText::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_OC_ISDATACONTROL:
        m.Result = 1;
        return;
    case WM_OC_SETREADONLY:
        return;
    case WM_OC_LOCATE:
        m.Result = 0;
        return;
    case WM_OC_GETFIELD:
        m.Result = refField_ ? QelOIToParam(refField_) : QelOIToParam(BaseFieldList());
        return;
    case WM_ODB_FIELDTOUCHED: {
        TQelObjectInterface* oi = QelOIFromParam(m.LParam);
        if (oi && oi->OIType() == TQelObjectInterface::oiField && watches(oi))
            scheduleRepaint(oi->Database());
        return;
    }
    case WM_ODB_OIDESTROYED: {
        TQelObjectInterface* oi = QelOIFromParam(m.LParam);
        if (oi && oi == registeredOn_)
            registeredOn_ = nullptr; // goes away: no unregister
        if (oi && oi == refField_)
            refField_ = nullptr;
        if (oi && oi == fl_) {
            fl_ = nullptr;
            flAlive_.reset();
        }
        break;
    }
    default:
        break;
    }
    THTMLStaticText::WndProc(m);
}

namespace QelHTMLStaticText {

void Initialize()
{
    QelRegisterDataClass(
        TQelDataClass::HTMLStaticText, QelDataClassEntry<TQelHTMLStaticText>("TQelHTMLStaticText"));
}

void Register()
{
    RegisterComponents(QelObjCntrl::PalettePage, { ComponentClass<TQelHTMLStaticText>() });
}

void Finalize()
{
    QelUnregisterDataClass(TQelDataClass::HTMLStaticText);
}

} // namespace QelHTMLStaticText
