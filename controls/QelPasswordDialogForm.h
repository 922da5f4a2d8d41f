#pragma once
// TfrmPasswordDialog: the dialog behind TQelCommonMethods::PasswordBox. A prompt, one password
// edit and the buttons OK and Abbrechen; it scales itself to the workstation's resolution.
#include "binding/toolkit.h"

#include "toolkit/buttons.h"
#include "toolkit/stdctrls.h"

#include <string>

class TQelPasswordEdit;

class TfrmPasswordDialog : public TForm {
public:
    explicit TfrmPasswordDialog(TComponent* owner);

    // Shows `prompt` in lblInfo; the form grows or shrinks with the lines the prompt needs.
    void SetPrompt(const std::string& prompt);

    TLabel* lblInfo = nullptr;
    TLabel* lblPassword = nullptr;
    TQelPasswordEdit* edtPassword = nullptr;
    TBitBtn* btnOk = nullptr;
    TBitBtn* btnCancel = nullptr;
};
