#include "binding/commonlink.h"

#include "toolkit/advstringgrid.h"

#include <map>

TQelCommonLink::TQelCommonLink(TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi)
    : TEditLink(grid)
    , grid_(grid)
    , spec_(spec)
    , oi_(oi)
    , alive_(oi ? oi->LifeToken() : std::weak_ptr<bool> {})
{
}

TQelCommonLink::~TQelCommonLink() = default;

void TQelCommonLink::DestroyEditor()
{
    TWinControl* editor = editControl_;
    editControl_ = nullptr;
    delete editor;
}

void TQelCommonLink::InitEditControl(TWinControl* editor)
{
    editor->SetWidth(0);
    editor->SetHeight(0);
}

void TQelCommonLink::AttachEditControl(TWinControl* editor, TWinControl* parent)
{
    editControl_ = editor;
    editor->SetVisible(false);
    editor->SetParent(parent);
    InitEditControl(editor);
    BindEditControl(editor);
    editor->SetVisible(true);
}

void TQelCommonLink::BindEditControl(TWinControl* editor)
{
    TQelObjectInterface* oi = OI();
    if (!editor || !oi)
        return;
    auto* fl = oi->OIType() == TQelObjectInterface::oiFieldList
        ? static_cast<TQelFieldList*>(oi)
        : static_cast<TQelFieldList*>(oi->GetTransitiveOwner(TQelObjectInterface::oiFieldList));
    if (fl)
        BindEditor(editor, fl);
}

void TQelCommonLink::BindDataLink(TQelDataLink& link, TQelFieldList* fl, bool vectors)
{
    TQelObjectInterface* oi = OI();
    if (auto* field = QelSafeCast<TQelField>(oi)) {
        link.SetFieldPath(field->Name());
    } else if (auto* vector = QelSafeCast<TQelVector>(oi); vector && vectors) {
        link.SetFieldPath(vector->VectorName());
        link.SetFieldProp(spec_);
    } else {
        return;
    }
    link.Connect(fl, false);
}

namespace {

std::map<TQelLinkKind, TQelLinkFactory>& factories()
{
    static std::map<TQelLinkKind, TQelLinkFactory> registry;
    return registry;
}

} // namespace

void QelRegisterLinkFactory(TQelLinkKind kind, TQelLinkFactory factory)
{
    if (factory)
        factories()[kind] = factory;
    else
        factories().erase(kind);
}

TQelCommonLink* QelCreateLink(
    TQelLinkKind kind, TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi)
{
    const auto it = factories().find(kind);
    return it != factories().end() ? it->second(grid, spec, oi) : nullptr;
}
