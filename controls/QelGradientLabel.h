#pragma once
// TQelGradientLabel: shows one field's text on a gradient label, read-only. A reference field
// shows the name of the object it refers to. The label is visible exactly while it is connected.
#include "binding/objdb.h"
#include "binding/qeldatalink.h"
#include "binding/toolkit.h"

#include "toolkit/gradientlabel.h"

#include <string>

class TQelGradientLabel : public TGradientLabel {
public:
    explicit TQelGradientLabel(TComponent* owner);
    ~TQelGradientLabel() override;

    // The binding contract.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    int Reconnect() { return link_.Reconnect(); }
    bool Connected() const { return link_.Connected(); }

    std::string get_FieldPath() const { return link_.FieldPath(); }
    void set_FieldPath(const std::string& path);

    TQelFieldList* FieldList() const { return link_.FieldList(); }
    TQelField* Field() const { return link_.Field(); }

    // The text shown for the bound field.
    std::string read() const;
    // Shows the field's current value.
    void Repaint() override;

protected:
    void WndProc(TMessage& m) override;

private:
    // Takes the field's text as caption.
    void show();

    TQelDataLink link_;
};

namespace QelGradientLabel {
// Registers the control with the binding walk.
void Initialize();
void Finalize();
// Puts TQelGradientLabel on the palette page.
void Register();
} // namespace QelGradientLabel
