#pragma once
// TQelAction: an action that carries named text parameters (name=value lines), so that one action
// object hands a command handler its arguments.
#include "binding/toolkit.h"

#include "toolkit/actions.h"
#include "toolkit/classes.h"

#include <memory>
#include <string>

class TQelAction : public TCustomAction {
public:
    explicit TQelAction(TComponent* owner);
    // Parameters from a comma text ("a=1,b=2"; quoted items may hold commas and blanks).
    TQelAction(TComponent* owner, const std::string& commaText);
    TQelAction(TComponent* owner, const TStrings& params);
    ~TQelAction() override;

    // An empty text drops the list; any other replaces the parameters with the comma text's.
    void init(const std::string& commaText);

    // The value of `name` ("" when there is no list or no such parameter).
    std::string get_Param(const std::string& name) const;
    // Stores `value` under `name` (an empty name does nothing; an empty value removes the line).
    void set_Param(const std::string& name, const std::string& value);
    // The parameter list, or none before the first parameter was set.
    const TStringList* Params() const { return params_.get(); }

private:
    std::unique_ptr<TStringList> params_;
};
