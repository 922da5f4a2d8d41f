#include "binding/commonlink.h"

#include "binding/dataclasses.h"

#include "toolkit/advstringgrid.h"

#include "QelObjCntrl.h"

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
    if (!fl)
        return;
    const TQelDataClassEntry* entry = QelFindDataClass(editor);
    if (!entry)
        return;
    auto* field = QelSafeCast<TQelField>(oi);
    auto* vector = QelSafeCast<TQelVector>(oi);
    if (QelIsDataClass(editor, TQelDataClass::Edit)) {
        if (field) {
            ::SetPropValue(editor, "FieldPath", TPropValue::From(field->Name()));
        } else if (vector) {
            ::SetPropValue(editor, "FieldPath", TPropValue::From(vector->VectorName()));
            ::SetPropValue(editor, "FieldProp", TPropValue::From(spec_));
        }
    } else if (QelIsDataClass(editor, TQelDataClass::Combo)) {
        if (!field)
            return;
        ::SetPropValue(editor, "FieldPath", TPropValue::From(field->Name()));
    } else {
        return;
    }
    entry->connect(editor, fl, false);
}

namespace {

TQelLinkFactory g_factories[2] = {};

} // namespace

void QelRegisterLinkFactory(TQelLinkKind kind, TQelLinkFactory factory)
{
    g_factories[static_cast<int>(kind)] = factory;
}

TQelCommonLink* QelCreateLink(
    TQelLinkKind kind, TAdvStringGrid* grid, const std::string& spec, TQelObjectInterface* oi)
{
    QelObjCntrl::Initialize();
    TQelLinkFactory f = g_factories[static_cast<int>(kind)];
    return f ? f(grid, spec, oi) : nullptr;
}
