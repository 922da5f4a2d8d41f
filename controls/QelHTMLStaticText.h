#pragma once
// TQelHTMLStaticText: an HTML text filled from a field list. The template (the HTML text as the
// form was loaded, or set by ChangeHTMLText) names fields as <Field>; the control shows it filled
// with the values of its base field list: the object that the reference field FieldPath points
// to, else the field list it was connected to. A touch of a watched field repaints it 100 ms later
// (several touches within that time give one repaint).
#include "binding/qeldatacontrol.h"

#include "toolkit/classes.h"
#include "toolkit/htmlctrls.h"

#include <memory>
#include <string>

class TQelHTMLStaticText : public TQelDataControl<THTMLStaticText> {
public:
    explicit TQelHTMLStaticText(TComponent* owner);
    ~TQelHTMLStaticText() override;

    // Connected means a field list is held. The path may be empty; else it names a reference
    // field of the field list.
    // Names of the fields whose touch repaints the text; empty or "*": every field.
    TStrings& get_WatchFields() { return *watchFields_; }
    void set_WatchFields(const TStrings& names) { watchFields_->Assign(names); }

    TQelRefField* RefField() const { return QelSafeCast<TQelRefField>(link_.OI()); }
    // The field list whose values fill the template (none without a field list).
    TQelFieldList* BaseFieldList() const { return link_.BaseFieldList(); }
    const std::string& Template() const { return template_; }

    // Replaces the template and shows it filled.
    void ChangeHTMLText(const std::string& html);

    // Milliseconds between a watched field's touch and the repaint.
    static constexpr int RepaintDelayMs = 100;

protected:
    void Loaded() override;

private:
    void refresh();
    void takeTemplate();
    bool watches(const TQelObjectInterface* field) const;
    void scheduleRepaint(TQelDatabase* db);

    std::unique_ptr<TStringList> watchFields_;
    std::string template_;
    bool templateTaken_ = false;
    TQelTimerScope timers_ { this };
};
