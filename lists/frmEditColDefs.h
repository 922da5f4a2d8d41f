#pragma once
// TQelEditColDefsForm: the modal form in which a vector grid's column definition lines are
// edited as one text.
#include "binding/toolkit.h"

#include "toolkit/extctrls.h"
#include "toolkit/stdctrls.h"

#include <string>

class TQelEditColDefsForm : public TForm {
public:
    explicit TQelEditColDefsForm(TComponent* owner);

    TPanel* Panel1 = nullptr;
    TMemo* mmLines = nullptr;
    TPanel* pnBottom = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

    // Shows `lines` in a new form; on OK they take the edited text and the result is true, on
    // cancel they stay as they were.
    static bool Execute(std::string& lines);
};
