#pragma once
// TQelCheckBox: a boolean field (hard type 3004) or a property of the field list in an HTML check
// box. A click writes the state at once; a null field shows an unchecked box.
#include "binding/qeldatacontrol.h"

#include "toolkit/htmlctrls.h"

#include <string>

class TQelCheckBox : public TQelDataControl<THTMLCheckBox> {
public:
    explicit TQelCheckBox(TComponent* owner);

    // Whether the user may uncheck a checked box; when not, the attempt raises OnDeselectBlocked.
    bool get_DeselectAllowed() const { return deselectAllowed_; }
    void set_DeselectAllowed(bool v) { deselectAllowed_ = v; }
    // Changing the property name also changes a caption that equalled the old name.
    void set_FieldProp(const std::string& prop);
    void set_mark(bool mark, int index, TColor color, unsigned flags);

    TNotifyEvent OnDeselectBlocked;

protected:
    void Click() override;
    void Toggle() override;
    void DoEnter() override;
    void DoExit() override;

private:
    void read();
    void write();
    bool deselectAllowed_ = true;
};
