#pragma once
// TQelPasswordEdit: an edit that never shows the stored password. While it holds one it shows a
// fixed row of twelve '*' (so the length is not given away); typing replaces the password. It
// binds to no field; its data link gives it the answers every data control gives.
#include "binding/qeldatacontrol.h"

#include "toolkit/stdctrls.h"

#include <string>

class TQelPasswordEdit : public TQelDataControl<TEdit> {
public:
    explicit TQelPasswordEdit(TComponent* owner);

    // The stored password while the edit still shows the placeholder, else what the user typed.
    std::string getPassword() const;
    void setPassword(const std::string& p);

protected:
    // Empties the placeholder before a key that edits the text; then runs OnKeyDown.
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    bool showsPlaceholder() const;
    std::string password_;
};
