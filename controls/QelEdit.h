#pragma once
// TQelEdit: the single-line data control. It shows one field, one property of its field list, or
// one field of every element of a vector, and writes the user's input back: a field on every
// acceptable keystroke, a vector or property when the edit is left.
//
// TQelEditLink: the grid in-place editor link whose editor is a TQelEdit bound to the cell's field.
#include "binding/commonlink.h"
#include "binding/objdb.h"
#include "binding/qeldatalink.h"
#include "binding/toolkit.h"

#include "toolkit/advctrls.h"

#include <string>

enum TQelEditOption { eoHideTime, eoAcceptWithoutDelimiters, eoLabelLook, eoEscapeUnicode };
using TQelEditOptions = TSet<TQelEditOption>;
// OnEditEvent(sender, event, object interface): event 1 on F4 and on a left double-click.
using TQelEditEvent = TEvent<TObject*, int, TQelObjectInterface*>;

class TQelEdit : public TAdvEdit {
public:
    explicit TQelEdit(TComponent* owner);
    ~TQelEdit() override;

    // The binding contract.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected);
    int Disconnect() { return ConnectFL(nullptr, false); }
    int Reconnect();
    bool Connected() const { return link_.Connected(); }
    bool PropConnection() const { return link_.PropConnection(); }

    std::string get_FieldPath() const { return link_.FieldPath(); }
    void set_FieldPath(const std::string& path);
    std::string get_FieldProp() const { return link_.FieldProp(); }
    void set_FieldProp(const std::string& prop);
    bool get_ReadOnly() const { return link_.ReadOnly(); }
    void set_ReadOnly(bool v);
    bool get_AllowCreate() const { return link_.AllowCreate(); }
    void set_AllowCreate(bool v) { link_.SetAllowCreate(v); }
    TQelEditOptions get_EditOptions() const { return options_; }
    void set_EditOptions(TQelEditOptions options);
    std::string get_Text() const { return Text(); }
    void set_Text(const std::string& text) { SetText(text); }

    TQelFieldList* FieldList() const { return link_.FieldList(); }
    TQelField* Field() const { return link_.Field(); }
    TQelVector* Vector() const { return link_.Vector(); }
    TQelBlobField* BlobField() const { return QelSafeCast<TQelBlobField>(link_.Field()); }
    // The bound object interface: the field, else the vector.
    TQelObjectInterface* OI() const { return link_.OI(); }
    bool Marked() const { return marked_; }

    // The stored value as the edit shows it, and writing a text back.
    std::string read() const;
    void write(const std::string& text);
    void set_mark(bool mark, int index, TColor color, unsigned flags);
    // Re-reads the stored value; a different one replaces the text and runs the change handling.
    void Repaint() override;

    TNotifyEvent OnFieldTouch;
    TQelEditEvent OnEditEvent;

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
    bool dead_end() const;
    bool isDateTime() const;
    // The exit handling: writes what is pending, normalises, tells the form.
    void exitHandling();
    std::string normalised(const std::string& text) const;
    void unmark();
    void buildContextMenu();
    void clipboardCut();
    void clipboardCopy();
    void clipboardPaste();

    TQelDataLink link_;
    TQelEditOptions options_;
    bool marked_ = false;
    bool showing_ = false;
    // Set while the edit writes its own field, so its own touch notice does not re-read.
    bool writing_ = false;
};

class TQelEditLink : public TQelCommonLink {
public:
    TQelEditLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi);

    void CreateEditor(TWinControl* parent) override;
    void InitEditControl(TWinControl* editor) override;
    std::string GetEditorValue() override;
    void SetEditorValue(const std::string& value) override;
};

namespace QelEdit {
// Registers the edit with the binding walk and its link with the grids.
void Initialize();
void Finalize();
// Puts TQelEdit on the palette page.
void Register();
} // namespace QelEdit
