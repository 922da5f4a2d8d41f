#pragma once
// TQelHTMLStaticText: an HTML text filled from a field list. The template (the HTML text as the
// form was loaded, or set by ChangeHTMLText) names fields as <Field>; the control shows it filled
// with the values of its base field list: the object that the reference field FieldPath points
// to, else the field list it was connected to. A touch of a watched field repaints it 100 ms later
// (several touches within that time give one repaint).
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include "toolkit/classes.h"
#include "toolkit/htmlctrls.h"

#include <memory>
#include <string>

class TQelHTMLStaticText : public THTMLStaticText {
public:
    explicit TQelHTMLStaticText(TComponent* owner);
    ~TQelHTMLStaticText() override;

    // The binding contract: connected means a field list is held.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    int Reconnect();
    bool Connected() const { return FieldList() != nullptr; }

    // May be empty; else names a reference field of the field list.
    std::string get_FieldPath() const { return fieldPath_; }
    void set_FieldPath(const std::string& path);
    // Names of the fields whose touch repaints the text; empty or "*": every field.
    TStrings& get_WatchFields() { return *watchFields_; }
    void set_WatchFields(const TStrings& names) { watchFields_->Assign(names); }

    TQelFieldList* FieldList() const;
    TQelRefField* RefField() const { return refField_; }
    // The field list whose values fill the template (none without a field list).
    TQelFieldList* BaseFieldList() const;
    const std::string& Template() const { return template_; }

    // Replaces the template and shows it filled.
    void ChangeHTMLText(const std::string& html);
    // Fills the template anew.
    void Repaint() override;

    // Milliseconds between a watched field's touch and the repaint.
    static constexpr int RepaintDelayMs = 100;

protected:
    void Loaded() override;
    void WndProc(TMessage& m) override;

private:
    class TTarget;

    void refresh();
    void takeTemplate();
    void unregister();
    bool watches(const TQelObjectInterface* field) const;
    void scheduleRepaint(TQelDatabase* db);

    std::string fieldPath_;
    std::unique_ptr<TStringList> watchFields_;
    std::string template_;
    bool templateTaken_ = false;
    TQelFieldList* fl_ = nullptr;
    std::weak_ptr<bool> flAlive_;
    TQelRefField* refField_ = nullptr;
    // Where the control is registered for notifications.
    TQelObjectInterface* registeredOn_ = nullptr;
    std::unique_ptr<TTarget> target_;
    TQelTimerScope timers_ { this };
};

namespace QelHTMLStaticText {
// Registers the control with the binding walk.
void Initialize();
void Finalize();
// Puts TQelHTMLStaticText on the palette page.
void Register();
} // namespace QelHTMLStaticText
