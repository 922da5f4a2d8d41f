#pragma once
// TQelCommonMethods: the static operations the package's controls and the host's forms share:
// binding a form's controls to a field list and finding them again, the editor links of grid
// cells, the display rules of fields, and small UI utilities. The members are implemented in
// several files by concern (methods_*.cpp, commonlink.cpp).
#include "binding/objdb.h"
#include "binding/toolkit.h"

#include <string>

class TStringGrid;
class TAdvStringGrid;
class TQelCommonLink;
class TCustomEdit;
class TCustomPanel;
class THTMLabel;
class TCustomListBox;
class TMenu;
class TMenuItem;
class TBitmap;
class QWidget;

// The editor links of one grid, keyed by the cell's object interface (or by a path hash stored in
// the key slot). Owns its links.
using TQelLinkRegistry = TQelIndexedPtrList<TQelObjectInterface*, TQelCommonLink>;

class TQelCommonMethods {
public:
    TQelCommonMethods() = delete;

    // --- Binding ---------------------------------------------------------------------------
    // Connects every data control below `parent` to `fl`; the sum of their connect results.
    static int ConnectSubControls(TWinControl* parent, TQelFieldList* fl, bool onlyIfUnconnected);
    static int DisconnectSubControls(TWinControl* parent, bool onlyIfUnconnected);
    // The same for the controls of a window built in Qt (a QMainWindow, a QDialog, any widget):
    // every control below it, wherever Qt's layouts put it.
    static int ConnectSubControls(QWidget* window, TQelFieldList* fl, bool onlyIfUnconnected);
    static int DisconnectSubControls(QWidget* window, bool onlyIfUnconnected);
    static int ConnectSubControls(std::nullptr_t, TQelFieldList*, bool) { return 0; }
    // The control's FieldPath; with `full` prefixed by the paths of its containers.
    static std::string FieldPath(TControl* c, bool full);
    static std::string ConnectionInfo(
        TControl* c, TQelObjectInterface* oi, const TQelFieldList* fl, const std::string& fieldPath);
    // The data control below `parent` that shows `oi`, made visible (and focused if asked).
    static TWinControl* JumpTo(TQelObjectInterface* oi, TWinControl* parent, bool focus);
    static void MakeVisible(TControl* c, bool focus);
    // An SQL condition from the filled fields of an object ("" without one).
    static std::string ExtractSearchCond(TQelObject* obj);
    static std::string SqlColumnName(TQelObjectInterface* oi);
    // The condition on `column` for a typed search text, case-insensitive: '*' and '?' are the
    // user's wildcards, '%', '_' and '\\' are searched for as they are; without a wildcard the
    // text is a prefix, a trailing '$' makes it exact. "" for an empty text.
    static std::string TextSearchCond(const std::string& column, const std::string& text);
    // The condition on `column` of the field `def` for a text typed into a search field: a text
    // pattern for text fields, else equality with the literal (a number for integer fields).
    static std::string FieldSearchCond(
        const TQelFelddefinition* def, const std::string& column, const std::string& text);
    // An application's restriction of a list of class `cls`, bracketed: each "#[view]" (a name
    // without ":" is prefixed with the class's name) becomes the stored view's search condition,
    // stopping at the first that is unclosed or yields none; "_TEXT_" (any case) becomes
    // `typedText` as a quoted literal, so that no typed text can change the statement.
    static std::string ExpandRestriction(
        TQelClassKey cls, const std::string& restriction, const std::string& typedText);
    // Sends a message to `c` (unless skipSelf) and every descendant; the number of controls visited.
    static int PerformRecursively(TControl* c, unsigned msg, WPARAM wParam, LPARAM lParam, bool skipSelf);
    static TWinControl* FindFocusedControl(TWinControl* parent);
    static TWinControl* FindNextControl(
        TWinControl* parent, TWinControl* current, bool forward, bool sameParent, bool tabStopOnly);
    static TWinControl* FindNextControlInForm(TWinControl* current, bool forward, bool tabStopOnly);
    static void SelectNext(TWinControl* current, bool forward, bool tabStopOnly);
    static TWinControl* top_control(TWinControl* c);
    static TCustomForm* GetFormA(const TComponent* c);
    static bool ProgressGridSelection(TStringGrid* g, int dCol, int dRow, bool wrapRows);

    // --- Editor links of grid cells ---------------------------------------------------------
    // Each returns the toolkit editor type; where a link is used it becomes the grid's edit link.
    static int SelectFieldEditor(
        TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi, int fieldType);
    static int SelectCellEditor(
        TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec);
    static int SelectPathEditor(
        TQelLinkRegistry* registry, TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec);
    // Asks for a new per-workstation editor type of the cell and stores it.
    static void ChangeEditType(TAdvStringGrid* grid, TQelObjectInterface* oi, const std::string& spec);
    // "SETP_<class id>_<field name or spec>", cut to 30 characters; "" when `oi` has no class.
    static std::string EditTypeKey(TQelObjectInterface* oi, const std::string& spec);
    // The stored editor-type override of a key (0 when none).
    static int EditTypeSetting(const std::string& key);
    static int PathHash(const std::string& text);

    // --- Display rules of fields ------------------------------------------------------------
    static int GetFieldWidth(const TQelFelddefinition* def, bool withName, int maxWidth);
    static int GetFieldWidth(TQelField* field, bool withName, int maxWidth);
    static std::string GuessColSettings(const TQelFelddefinition* def, bool withName, int maxWidth);
    static std::string GuessColSettings(TQelField* field, bool withName, int maxWidth);
    static TAlignment GetAlign(const TQelFelddefinition* def);
    static TAlignment GetAlign(TQelField* field);
    static TColor StandardMarkColor(int index, TColor color);

    // --- UI utilities -----------------------------------------------------------------------
    static int scale(int v, int dpi);
    static int scale(int v, double f);
    static int rescale(int v, int dpi);
    static int rescale(int v, double f);
    static double relx(int v, int extent);
    static double rely(int v, int extent);
    static int absx(double r, int extent);
    static int absy(double r, int extent);
    // The workstation's "DPI" setting (the screen's pixels per inch when unset).
    static int WorkstationDPI();
    static void ScaleForm(TCustomForm* f, int dpi);
    static void ScaleForm(TCustomForm* f, double dpi);
    static void ScaleControl(TWinControl* c, int dpi);
    static void ScaleControl(TWinControl* c, double dpi);
    static void scale_controls(TWinControl* parent, int dpi);
    static void SetMinExtents(TCustomForm* f, int w, int h, bool scaled);

    static std::string get_posinfo(TControl* c, const std::string& flags);
    static bool set_posinfo(
        TControl* c, const std::string& info, const std::string& flags, double fw, double fh);

    static TMenuItem* MakeMenuItem(TComponent* owner, const std::string& caption, const std::string& shortcut,
        TNotifyEvent onClick, int tag = 0, bool radioItem = false, bool checked = false, int groupIndex = 0);
    static TMenuItem* find_menu_item(
        TMenu* menu, const std::string& caption, const std::string& shortcut, TNotifyEvent onClick, int tag);
    static TMenuItem* FindMenuItemByTag(TMenu* menu, int tag);

    static void SetCursor(TCursor c);
    static void RestoreCursor();

    static bool OpenFile(const std::string& file, const std::string& parameters);
    // Opens the contents of a text or file field with the desktop's program for them: they are
    // written to a new file in a folder of their own ("<field>.txt", formatted text ".html", file
    // contents with the extension their first bytes tell). Changes made there are not read back.
    // A failure is shown to the user and answered false.
    static bool OpenFieldWithProgram(TQelField* field);
    static std::string MinutesString(int minutes);
    static int GetSelectIndex(TCustomListBox* lb, TQelList<int>* indexes);
    // Collects the descendants of class T below `parent`.
    template <class T> static void GetSubControls(TWinControl* parent, bool recursive, TQelPtrList<T>* list);
    static void AdaptPanelWidth(TCustomPanel* panel, THTMLabel* label);
    static void AdaptPanelHeight(TCustomPanel* panel, THTMLabel* label);
    static void AdaptPanelSize(TCustomPanel* panel, THTMLabel* label);
    static bool PasswordBox(std::string& password, const std::string& caption = "Passwort-Eingabe",
        const std::string& prompt = "Bitte geben Sie das Passwort ein.", TBitmap* okGlyph = nullptr,
        TBitmap* cancelGlyph = nullptr, int okGlyphCount = 0, int cancelGlyphCount = 0,
        char passwordChar = '*', int width = 0, int height = 0);

    static void SetWideStringToClipboard(const std::string& s);
    static std::string GetExtStringFromClipboard();
    // Cut, copy and paste of an edit's or memo's selection; with `escaped` the text is held in the
    // escaped wide-string form and travels through the two functions above.
    static void ClipboardCut(TCustomEdit* edit, bool escaped);
    static void ClipboardCopy(TCustomEdit* edit, bool escaped);
    static void ClipboardPaste(TCustomEdit* edit, bool escaped);
    // The edit's and memo's own menu items: cut, copy, paste, a line, select all; `escaped` is
    // asked at each click whether the text travels in the escaped form.
    static void AddClipboardItems(TPopupMenu* menu, TCustomEdit* edit, std::function<bool()> escaped);
};

template <class T>
void TQelCommonMethods::GetSubControls(TWinControl* parent, bool recursive, TQelPtrList<T>* list)
{
    if (!parent || !list)
        return;
    for (int i = 0; i < parent->GetControlCount(); ++i) {
        TControl* child = parent->GetControl(i);
        if (auto* t = dynamic_cast<T*>(child))
            list->Add(t);
        if (recursive)
            if (auto* w = dynamic_cast<TWinControl*>(child))
                GetSubControls<T>(w, true, list);
    }
}
