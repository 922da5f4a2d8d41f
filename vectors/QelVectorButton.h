#pragma once
// TQelVectorButton: a small link-styled "..." button on a field panel or a tab control bound to a
// vector element; a left click hands the parent's vector and element index to the application
// (OnDoIt), and the parent reconnects afterwards (ReconnectAfterEdit). Read-only hides it; it
// never shows disabled.
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include "toolkit/extctrls.h"

using TQelVectorButtonEvent = TEvent<TObject*, TQelVector*, int>;

class TQelVectorButton : public TCustomPanel {
public:
    explicit TQelVectorButton(TComponent* owner);

    bool get_ReconnectAfterEdit() const { return reconnect_; }
    void set_ReconnectAfterEdit(bool v) { reconnect_ = v; }
    // The vector and element index of the parent panel or tab control (none, 0 outside one).
    TQelVector* ParentVector() const;
    int ParentIndex() const;

    TQelVectorButtonEvent OnDoIt;

    // The button never shows as disabled.
    void SetEnabled(bool) override { TCustomPanel::SetEnabled(true); }

protected:
    void WndProc(TMessage& m) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void reconnect_parent();
    bool reconnect_ = true;
};
