#pragma once
// TQelPanel: the field panel. A container with its own FieldPath that binds its children to what
// the path names in the field list it is given: a sub-object ("Bank"), an element of a vector
// ("Adressen" with VectorIndex and VectorConstraints, or "Adressen[1]"), or the object a
// reference field points to. A sub-object that does not exist yet is not created by showing: the
// children bind below the path and the first write of one of them creates it.
//
// Search mode (poSearchObject and a reference field): the children become search fields of the
// referenced class; their texts make up get_SearchCondition(), combos narrow each other's lists.
#include "binding/qelcontainerlink.h"
#include "binding/toolkit.h"

#include "toolkit/extctrls.h"

#include <string>

enum TQelPanelOption {
    poActiveOnly,
    poAllocateIfVector,
    poAutoVisibility,
    poStandardOnly,
    poSearchObject,
    poAllowCreateObject
};
using TQelPanelOptions = TSet<TQelPanelOption>;
inline constexpr const char* kQelPanelOptionNames[] = { "poActiveOnly", "poAllocateIfVector",
    "poAutoVisibility", "poStandardOnly", "poSearchObject", "poAllowCreateObject" };
static_assert(std::size(kQelPanelOptionNames) == poAllowCreateObject + 1);

class TQelCombo;

// Messages of the field panel.
enum : unsigned {
    WM_OC_PANELCLEARCOMBOS = 0x1C3A, // combo -> search panel; LParam the combo: empty the others
    WM_OC_SUSPENDVECTOR = 0x1C3C, // -> panel; WParam 1 suspends vector notices, else resumes
};

class TQelPanel : public TCustomPanel {
public:
    explicit TQelPanel(TComponent* owner);
    ~TQelPanel() override;

    // Resolves the path in `fl` and connects the children; 1 for the panel when it connected
    // plus what its children's connects return. 0 while busy, or with onlyIfUnconnected when
    // connected.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    // With delay <= 0 reconnects at once, else from the database's timer tasks after `delay` ms
    // (a pending reconnect is reset, not duplicated).
    void Reconnect(int delay);

    // Holds a field list to show (or waits for a sub-object's first write).
    bool Connected() const { return link_.Connected() != nullptr || !link_.PendingPath().empty(); }
    bool get_SearchMode() const;
    TQelFieldList* ConnectedFieldList() const { return link_.Connected(); }
    TQelVector* Vector() const { return link_.Vector(); }
    TQelRefField* RefField() const { return link_.RefField(); }

    std::string get_FieldPath() const { return fieldPath_; }
    void set_FieldPath(const std::string& path);
    TQelPanelOptions get_PanelOptions() const { return options_; }
    void set_PanelOptions(TQelPanelOptions options);
    int get_VectorIndex() const { return vectorIndex_; }
    void set_VectorIndex(int index);
    std::string get_VectorConstraints() const { return constraints_; }
    void set_VectorConstraints(const std::string& constraints);
    std::string get_CheckClassType() const { return checkClassType_; }
    void set_CheckClassType(const std::string& name) { checkClassType_ = name; }
    // See TQelContainerLink::pendingElements (run time only).
    bool get_PendingElements() const { return link_.pendingElements; }
    void set_PendingElements(bool v) { link_.pendingElements = v; }
    // The panel's own read-only flag (WM_OC_SETREADONLY); the children keep theirs.
    bool get_ReadOnly() const { return readOnly_; }

    // Search mode.
    TQelObject* GetObjectA(bool create);
    bool TryFindUnique();
    bool TryFindBest();
    bool IsAllEmpty() const;
    void ClearSubCombos();
    // The search fields' conditions joined with " AND " ("" when none is filled).
    std::string get_SearchCondition() const;
    // The search of message 0x1C39: mode 0 refreshes the combos' lists, 1 takes a unique match,
    // 2 the best; the number of rows found (1 for mode 2 with 1 to 1000 rows).
    int Search(int mode, TQelCombo* changed);

    void Repaint() override;

    TNotifyEvent AfterConnect;
    TNotifyEvent BeforeDisconnect;
    TNotifyEvent OnDestroy;

protected:
    void WndProc(TMessage& m) override;
    void DoEnter() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void chooseElement();
    bool classCheck() const;
    void updateVisibility();
    void reconnectNow();
    // Empties every combo on the panel but `except`.
    void clearCombos(const TControl* except);

    TQelContainerLink link_ { this };
    TQelTimerScope timer_ { this };
    std::string fieldPath_;
    TQelPanelOptions options_;
    int vectorIndex_ = 1;
    std::string constraints_;
    std::string checkClassType_;
    bool readOnly_ = false;
    bool suspended_ = false;
    bool busy_ = false;
    bool searching_ = false; // the children were told to be search fields
};
