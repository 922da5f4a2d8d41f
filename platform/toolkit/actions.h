#pragma once
// Actions: a named command with caption, state and shortcut that menus, buttons and key handlers
// of an application share, collected in action lists.
#include "toolkit/component.h"
#include "toolkit/tkdefs.h"
#include "toolkit/tkevent.h"

#include <string>
#include <vector>

class TActionList;

class TCustomAction : public TComponent {
public:
    explicit TCustomAction(TComponent* owner);
    ~TCustomAction() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    const std::string& Category() const { return category_; }
    void SetCategory(const std::string& v) { category_ = v; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut v);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v);

    // The list the action belongs to (none: stand-alone); the list does not own it.
    TActionList* ActionList() const { return list_; }
    void SetActionList(TActionList* list);

    // Runs OnExecute when the action is enabled; true when a handler ran.
    virtual bool Execute();
    // Runs OnUpdate (the application adjusts Enabled, Checked, ...); true when a handler ran.
    virtual bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
    // After any change of caption, state, shortcut or image.
    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    // Stores a new value and tells OnChange; an equal value changes nothing.
    template <class T, class V> void Change(T& field, const V& value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }

    std::string caption_;
    std::string category_;
    std::string hint_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
    TShortCut shortCut_ = 0;
    int imageIndex_ = -1;
    TActionList* list_ = nullptr;
};

class TAction : public TCustomAction {
public:
    explicit TAction(TComponent* owner);
};

class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* owner);
    ~TActionList() override;

    int ActionCount() const { return static_cast<int>(actions_.size()); }
    TCustomAction* Actions(int index) const;
    // Executes the enabled, visible action with this shortcut; true when one ran.
    bool IsShortCut(TShortCut shortCut);

private:
    friend class TCustomAction;
    void Add(TCustomAction* action);
    void Remove(TCustomAction* action);
    std::vector<TCustomAction*> actions_;
};
