#pragma once
// Window messages between the package's controls, their containers, the grids and the host form.
// All are sent synchronously with Perform. The numbers bind the package's controls to each other
// and to the host; change both sides together.
//
// Numbers of the range not listed here are used between particular controls and are defined
// beside them (field panel 0x1C2A, 0x1C3A, 0x1C3C; vector grid 0x1C3B; detail grid 0x1C3D;
// double-click notice 0x1C49; combo and multi-edit 0x1C35, 0x1C3F, 0x1C48).
//
// Every data control answers WM_OC_ISDATACONTROL, WM_OC_SETREADONLY, WM_OC_GETFIELD, WM_OC_LOCATE
// and WM_OC_SETMARK.
enum : unsigned {
    WM_OC_FIRST = 0x1C2A,
    WM_OC_GETSEARCHCONDITION = 0x1C33, // panel -> search field; LParam std::string* to fill; result 1
    WM_OC_SETREADONLY = 0x1C34, // host -> control; WParam non-zero: read-only
    WM_OC_CONTROLENTER = 0x1C36, // control -> form; WParam control, LParam const char* full path
    WM_OC_CONTROLEXIT = 0x1C37, // control -> form after writing; host -> edit: run exit now
    WM_OC_ENTERSEARCHMODE = 0x1C38, // search panel -> descendants; WParam class id (0: leave), LParam panel
    WM_OC_SEARCHCHANGED = 0x1C39, // search field -> panel; WParam mode (0 refresh, 1 unique, 2 best),
                                  // LParam the combo that changed or 0
    WM_OC_CONNECTFORM = 0x1C3E, // walk -> embedded form; WParam flag, LParam field list
    WM_OC_GETFIELD = 0x1C41, // result: the bound field (object interface) or 0
    WM_OC_LOCATE = 0x1C42, // WParam 1, LParam oi: 2 shows it, 1 contains it, else 0
    WM_OC_ISDATACONTROL = 0x1C43, // result 1 from every data control
    WM_OC_SETMARK = 0x1C44, // WParam low byte mark index, 0x100, 0x200; LParam colour
    WM_OC_INITEDITOR = 0x1C45, // edit link -> grid; WParam editor, LParam field
    WM_OC_EDITORKEYDOWN = 0x1C46, // single-line edit -> parent; the key message's WParam/LParam
    WM_OC_TEXTSNIPPET = 0x1C47, // edit -> form; WParam key, LParam std::string* to fill
    WM_OC_SETVECTORINDEX = 0x1C40, // -> container; WParam the 1-based element index
    WM_OC_COMBOCELLCHOSEN = 0x1C4A, // grid combo hook -> grid; WParam row*65536+col, LParam const char*
    WM_OC_LAST = 0x1C4B,
};

// WM_OC_SETMARK flags in WParam.
enum : unsigned {
    OC_MARK_INDEX_MASK = 0xFF,
    OC_MARK_UNMARK_ON_EDIT = 0x100,
    OC_MARK_LIFT_READONLY = 0x200,
};

// The FieldPath a control takes when it is bound to a property of its field list.
inline constexpr const char* QEL_PROPCONN = "@PropConn!";
