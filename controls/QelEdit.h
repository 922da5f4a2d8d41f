#pragma once
// TQelEdit: the single-line data control. It shows one field, one property of its field list, or
// one field of every element of a vector, and writes the user's input back: a field on every
// acceptable keystroke, a vector or property when the edit is left.
//
// TQelEditLink: the grid in-place editor link whose editor is a TQelEdit bound to the cell's field.
#include "binding/commonlink.h"
#include "binding/qeldatacontrol.h"

#include "toolkit/advctrls.h"

#include <string>

enum TQelEditOption { eoHideTime, eoAcceptWithoutDelimiters, eoLabelLook, eoEscapeUnicode };
using TQelEditOptions = TSet<TQelEditOption>;
inline constexpr const char* kQelEditOptionNames[]
    = { "eoHideTime", "eoAcceptWithoutDelimiters", "eoLabelLook", "eoEscapeUnicode" };
// OnEditEvent(sender, event, object interface): event 1 on F4 and on a left double-click.
using TQelEditEvent = TEvent<TObject*, int, TQelObjectInterface*>;

// What an edit that has the focus showed after its last change, so that a refused key can be
// taken back to the text and selection from before it, and the time of day that a date edit
// hiding the time keeps while its date is retyped (the field may be cleared on the way). Reset
// when the edit is left.
struct TQelEditTyping {
    const TQelField* field = nullptr;
    std::string shown; // the edit's text
    std::string value; // what the edit read from the field for it
    std::string time; // hidden time of day, "" when none is known
};

class TQelEdit : public TQelDataControl<TAdvEdit> {
public:
    explicit TQelEdit(TComponent* owner);

    TQelEditOptions get_EditOptions() const { return options_; }
    void set_EditOptions(TQelEditOptions options);
    std::string get_Text() const { return Text(); }
    void set_Text(const std::string& text) { SetText(text); }

    TQelBlobField* BlobField() const { return QelSafeCast<TQelBlobField>(link_.Field()); }

    // The stored value as the edit shows it, and writing a text back.
    std::string read() const;
    void write(const std::string& text);
    void set_mark(bool mark, int index, TColor color, unsigned flags);
    // Re-reads the stored value; a different one replaces the text and runs the change handling.
    void Repaint() override;

    TQelEditEvent OnEditEvent;

    // The unit registers the edit's grid link.
    static void UnitInitialize();
    static void UnitFinalize();

protected:
    void WndProc(TMessage& m) override;
    void Change() override;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void DblClick() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    // Shows a stored value without writing it back.
    void show(const std::string& text);
    // Shows what the binding holds now and remembers it (see stored_).
    void showStored();
    // Typed into a vector or property binding and not yet written (that happens on exit).
    bool typedPending() const;
    bool dead_end() const;
    bool isDateTime() const;
    // The exit handling: writes what is pending, normalises, tells the form.
    void exitHandling();
    std::string normalised(const std::string& text) const;
    void readOnlyLook(bool readOnly);
    void buildContextMenu();

    TQelEditOptions options_;
    TQelEditTyping typing_;
    // What a vector or property binding held when the edit last showed it: on exit only what the
    // user changed against it is written.
    std::string stored_;
};

class TQelEditLink : public TQelCommonLink {
public:
    TQelEditLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi);

    void CreateEditor(TWinControl* parent) override;
    void InitEditControl(TWinControl* editor) override;
    std::string GetEditorValue() override;
    void SetEditorValue(const std::string& value) override;

protected:
    void BindEditor(TWinControl* editor, TQelFieldList* fl) override;
};
