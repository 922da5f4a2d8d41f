#pragma once
// The field panel that shows the current element of a vector editor (vector grid, document vector
// view). The editor gives the panel the vector's path when it connects; until the panel holds
// that path it is left alone. The panel is forgotten when it is freed.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <string>

class TQelPanel;

class TQelElementPanel {
public:
    explicit TQelElementPanel(TComponent* owner)
        : owner_(owner)
    {
    }

    TQelPanel* Panel() const { return panel_; }
    // Takes `panel`; true when it is a new panel (not none, not the one held).
    bool Set(TQelPanel* panel);
    // Stops hearing that the panel is freed.
    void Release();
    // For the owner's Notification: a freed panel is forgotten.
    void Removed(TComponent* component);
    // Gives the panel the vector's path; false without a panel.
    bool GivePath(const std::string& path);
    // Connects the panel to `element` of the vector at `path` below `fl` (disconnects it when
    // there is no element), between `before` and `after` of `sender`; the panel's ConnectFL result,
    // 0 when nothing was connected.
    int Follow(const std::string& path, const TQelFieldList* fl, TQelSubObject* element, TObject* sender,
        const TNotifyEvent& before, const TNotifyEvent& after);

private:
    TComponent* owner_;
    TQelPanel* panel_ = nullptr;
};
