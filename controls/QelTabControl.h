#pragma once
// TQelTabControl: one tab per element of the vector its FieldPath names; the controls on it show
// the element of the selected tab. Tabs follow elements added, removed and moved.
#include "binding/qelcontainerlink.h"
#include "binding/toolkit.h"

#include "toolkit/tabctrl.h"

#include <string>

enum TQelTabControlOption { toAutoVisibility };
using TQelTabControlOptions = TSet<TQelTabControlOption>;
inline constexpr const char* kQelTabControlOptionNames[] = { "toAutoVisibility" };
static_assert(std::size(kQelTabControlOptionNames) == toAutoVisibility + 1);

// OnGetCaption(sender, element number from 1, element, caption to change).
using TQelGetCaptionEvent = TEvent<TObject*, int, TQelSubObject*, std::string&>;

class TQelTabControl : public TCustomTabControl {
public:
    explicit TQelTabControl(TComponent* owner);
    ~TQelTabControl() override;

    // 1 when the path names a vector, plus what the children's connects return.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    bool Connected() const { return link_.Vector() != nullptr; }
    TQelVector* Vector() const { return link_.Vector(); }
    // The field list of the selected element (none without one).
    TQelFieldList* ElementFieldList() const;

    // Rebuilds the tabs and selects tab k (from 1; negative counts from the end, 0 keeps the
    // selected one), cut to the tabs there are.
    void refresh_tabs(int k);

    std::string get_FieldPath() const { return fieldPath_; }
    void set_FieldPath(const std::string& path);
    TQelTabControlOptions get_TabControlOptions() const { return options_; }
    void set_TabControlOptions(TQelTabControlOptions options);
    int get_TabIndex() const { return TabIndex(); }
    void set_TabIndex(int index);
    int get_VectorIndex() const { return TabIndex() + 1; }
    void set_VectorIndex(int index);
    void SetTabIndex(int index) override { set_TabIndex(index); }

    TQelGetCaptionEvent OnGetCaption;

protected:
    void Change() override;
    void WndProc(TMessage& m) override;

private:
    int connectChildren();
    std::string caption(int index);
    void updateState();

    TQelContainerLink link_ { this };
    std::string fieldPath_;
    TQelTabControlOptions options_;
};
