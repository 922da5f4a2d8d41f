#pragma once
// Names of objects read from the rows of a list query, without loading the objects: the fields
// a name template names (what to ask ListEx for) and the template filled from a row the way an
// object's MakeName fills it.
#include "objdb/qelkeys.h"

#include <string>
#include <vector>

class TQelFelddefinition;
class TQelKlasse;
class TQelSQLQuery;

// The fields a name template's placeholders name, in order, each once.
std::vector<const TQelFelddefinition*> QelTemplateFields(const TQelKlasse* cls, const std::string& format);

class TQelNameColumns {
public:
    // `format` empty: the class's name template.
    TQelNameColumns(const TQelKlasse* cls, const std::string& format = {});

    const std::vector<const TQelFelddefinition*>& Fields() const { return fields_; }
    // The field names for ListEx, joined by ","; "" when the template names no field.
    std::string FieldNames() const;
    // The template filled from row `q`, whose columns from `firstColumn` on hold Fields() in
    // order (blank when the fields are); a template that names no field gives "".
    std::string Fill(const TQelSQLQuery& q, int firstColumn) const;
    // Fill, or "<class> <key>" where that is blank (as an object's Name falls back).
    std::string NameOf(const TQelSQLQuery& q, int firstColumn, TQelObjectKey key) const;

private:
    struct Part {
        std::string text; // literal text before the column
        int field; // index into fields_, -1: literal only
    };
    const TQelKlasse* cls_;
    std::string format_;
    std::vector<const TQelFelddefinition*> fields_;
    std::vector<Part> parts_;
};
