#include "controls/QelHTMLStaticText.h"

#include "binding/qeltimerglue.h"

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

TQelHTMLStaticText::TQelHTMLStaticText(TComponent* owner)
    : TQelDataControl(owner)
    , watchFields_(std::make_unique<TStringList>())
{
    // Bound to the reference field its path names, else to the field list itself; only shown,
    // never written, so nothing on the way is created.
    link_.bindsFieldList = true;
    link_.followsReference = true;
    link_.edits = false;
    link_.locatable = false;
    link_.hooks.accepts = [](TQelObjectInterface* oi) { return QelSafeCast<TQelRefField>(oi) != nullptr; };
    // Also while unconnected: without a field list the text reads "(leer)".
    link_.hooks.read = [this] { refresh(); };
    link_.hooks.connectedChanged = [this](bool connected) { SetVisible(connected); };
    link_.hooks.touched = [this](TQelObjectInterface* oi, bool) {
        if (oi && oi->OIType() == TQelObjectInterface::oiField && watches(oi))
            scheduleRepaint(oi->Database());
    };
    PublishBinding(qelPublishFieldPath);
    PublishLines<&TQelHTMLStaticText::HTMLText, &TQelHTMLStaticText::SetHTMLText>("HTMLText");
    PublishLines<&TQelHTMLStaticText::get_WatchFields, &TQelHTMLStaticText::set_WatchFields>("WatchFields");
}

TQelHTMLStaticText::~TQelHTMLStaticText()
{
    Destroying();
    timers_.StopAll();
}

void TQelHTMLStaticText::Loaded()
{
    TQelDataControl::Loaded();
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
