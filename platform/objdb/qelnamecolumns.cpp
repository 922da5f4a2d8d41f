#include "objdb/qelnamecolumns.h"

#include "objdb/qelschema.h"
#include "objdb/qelsql.h"
#include "objdb/qelstrings.h"
#include "objdb/qeltext.h"

#include <algorithm>

std::vector<const TQelFelddefinition*> QelTemplateFields(const TQelKlasse* cls, const std::string& format)
{
    std::vector<const TQelFelddefinition*> fields;
    if (!cls)
        return fields;
    for (std::size_t pos = format.find('<'); pos != std::string::npos; pos = format.find('<', pos + 1)) {
        const std::size_t end = format.find('>', pos);
        if (end == std::string::npos)
            break;
        if (const TQelFelddefinition* def = cls->FindFelddefinition(format.substr(pos + 1, end - pos - 1)))
            if (std::find(fields.begin(), fields.end(), def) == fields.end())
                fields.push_back(def);
    }
    return fields;
}

TQelNameColumns::TQelNameColumns(const TQelKlasse* cls, const std::string& format)
    : cls_(cls)
{
    const std::string fmt = format.empty() && cls ? cls->NameFormat() : format;
    fields_ = QelTemplateFields(cls, fmt);
    if (fields_.empty())
        return;
    std::size_t pos = 0;
    while (pos < fmt.size()) {
        const std::size_t open = fmt.find('<', pos);
        const std::size_t close = open == std::string::npos ? open : fmt.find('>', open);
        if (close == std::string::npos) {
            parts_.push_back({ fmt.substr(pos), -1 });
            break;
        }
        const std::string name = fmt.substr(open + 1, close - open - 1);
        const auto it = std::find_if(fields_.begin(), fields_.end(),
            [&](const TQelFelddefinition* d) { return AnsiSameText(d->Name(), name); });
        if (it == fields_.end())
            parts_.push_back({ fmt.substr(pos, close + 1 - pos), -1 });
        else
            parts_.push_back({ fmt.substr(pos, open - pos), static_cast<int>(it - fields_.begin()) });
        pos = close + 1;
    }
}

std::string TQelNameColumns::FieldNames() const
{
    std::string out;
    for (const TQelFelddefinition* def : fields_)
        out += (out.empty() ? "" : ",") + def->Name();
    return out;
}

std::string TQelNameColumns::Fill(const TQelSQLQuery& q, int firstColumn) const
{
    std::string out;
    if (parts_.size() == 1 && parts_[0].text.empty() && parts_[0].field >= 0) {
        out = q.AsString(firstColumn + parts_[0].field);
    } else {
        for (const Part& p : parts_) {
            out += p.text;
            if (p.field >= 0)
                out += q.AsStringView(firstColumn + p.field);
        }
    }
    return out;
}

std::string TQelNameColumns::NameOf(const TQelSQLQuery& q, int firstColumn, TQelObjectKey key) const
{
    std::string out = Fill(q, firstColumn);
    if (Trim(out).empty() && cls_)
        return cls_->Name() + " " + key.ToString();
    return out;
}
