#include "binding/qelaction.h"

#include "toolkit/registry.h"

TQelAction::TQelAction(TComponent* owner)
    : TCustomAction(owner)
{
}

TQelAction::TQelAction(TComponent* owner, const std::string& commaText)
    : TCustomAction(owner)
{
    init(commaText);
}

TQelAction::TQelAction(TComponent* owner, const TStrings& params)
    : TQelAction(owner, params.CommaText())
{
}

TQelAction::~TQelAction() = default;

void TQelAction::init(const std::string& commaText)
{
    if (commaText.empty()) {
        params_.reset();
        return;
    }
    if (!params_)
        params_ = std::make_unique<TStringList>();
    params_->SetCommaText(commaText);
}

std::string TQelAction::get_Param(const std::string& name) const
{
    return params_ ? params_->Values(name) : std::string();
}

void TQelAction::set_Param(const std::string& name, const std::string& value)
{
    if (name.empty())
        return;
    if (!params_)
        params_ = std::make_unique<TStringList>();
    params_->SetValue(name, value);
}
