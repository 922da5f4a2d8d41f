// Display rules of fields: column widths, column settings and alignment by field type, and the
// colours of marks.
#include "binding/methods.h"

#include <algorithm>

namespace {

int rootType(const TQelFelddefinition* def)
{
    return def->Urtyp().Id();
}

} // namespace

int TQelCommonMethods::GetFieldWidth(const TQelFelddefinition* def, bool withName, int maxWidth)
{
    if (!def)
        return 0;
    int width = 10;
    switch (rootType(def)) {
    case qelft::Choice:
        width = 0;
        for (const TQelDomainEntry& e : def->Domain())
            width = std::max(width, static_cast<int>(Utf8Length(e.text)));
        if (width == 0)
            width = def->Length();
        if (width == 0)
            width = 255;
        break;
    case qelft::Text:
        width = def->Length() > 0 ? def->Length() : 255;
        break;
    case qelft::Boolean:
        width = 3;
        break;
    case qelft::Reference:
    case qelft::ERVKey:
        width = 20;
        break;
    default: // integers, amounts, dates, long texts and everything else
        width = 10;
        break;
    }
    if (withName)
        width = std::max(width, static_cast<int>(Utf8Length(def->Name())));
    return std::min(width, maxWidth);
}

int TQelCommonMethods::GetFieldWidth(TQelField* field, bool withName, int maxWidth)
{
    return GetFieldWidth(field ? field->Definition() : nullptr, withName, maxWidth);
}

std::string TQelCommonMethods::GuessColSettings(const TQelFelddefinition* def, bool withName, int maxWidth)
{
    if (!def)
        return {};
    const int type = def->Feldtyp().Id();
    switch (rootType(def)) {
    case qelft::Text:
        return std::to_string(GetFieldWidth(def, withName, maxWidth)) + "c";
    case qelft::Integer:
        return "10c/0";
    case qelft::Amount:
        if (type == qelft::Amount2)
            return "'000.000,00--'/0";
        if (type == qelft::Amount3)
            return "'00,000--'/0";
        return "10c/0";
    case qelft::Boolean:
        return "4c/0";
    case qelft::DateTime:
        switch (type) {
        case qelft::DateTime:
            return "'00.00.0000 00:00--'/0";
        case qelft::Date:
            return "'00.00.0000--'/0";
        case qelft::TimeMinutes:
            return "'00:00--'/0";
        case qelft::TimeSeconds:
            return "'00:00:00--'/0";
        default:
            return "'00.00.0000 00:00:00--'/0";
        }
    case qelft::Choice:
        return std::to_string(GetFieldWidth(def, withName, maxWidth)) + "c/0";
    case qelft::Reference:
    case qelft::ERVKey:
        return "20c/0";
    case qelft::LongText:
    case qelft::MemoText:
    case qelft::NoteText:
        return "10c/0";
    default:
        return {};
    }
}

std::string TQelCommonMethods::GuessColSettings(TQelField* field, bool withName, int maxWidth)
{
    return GuessColSettings(field ? field->Definition() : nullptr, withName, maxWidth);
}

TAlignment TQelCommonMethods::GetAlign(const TQelFelddefinition* def)
{
    if (!def)
        return taLeftJustify;
    const int root = rootType(def);
    if (root == qelft::Amount || (root == qelft::Integer && def->Feldtyp().Id() == qelft::Integer))
        return taRightJustify;
    return taLeftJustify;
}

TAlignment TQelCommonMethods::GetAlign(TQelField* field)
{
    return GetAlign(field ? field->Definition() : nullptr);
}

TColor TQelCommonMethods::StandardMarkColor(int index, TColor color)
{
    switch (index) {
    case 2:
        return TColor(0x7F7FFF); // light red
    case 3:
        return TColor(0x7FFFFF); // light yellow
    default:
        return color;
    }
}
