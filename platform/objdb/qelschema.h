#pragma once
// The schema: field types, classes with their field and vector definitions. It is data, loaded
// from schema text (see docs/schema.md); a built-in part with the system types and classes
// is always loaded first.
#include "objdb/qelkeys.h"
#include "objdb/qelnp.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TQelKlasse;
class TQelSchema;

// The categories of classes, lowest first: navigation shows the classes from a category on.
inline constexpr const char* QelClassCategories[]
    = { "System", "Intern", "Stammdaten", "Vorgänge", "Auswertungen" };

// SQL-safe identifier from a display name (umlauts transcribed, other signs become "_").
std::string QelSqlName(const std::string& name);
// An identifier in double quotes (embedded quotes doubled), as the store writes table and column
// names into its statements.
std::string QelQuoteName(const std::string& name);

struct TQelDomainEntry {
    std::string text; // stored and shown
    std::string abbr; // abbreviation; the text itself when none was declared
};

class TQelFeldtyp {
public:
    TQelFieldKey Key() const { return TQelFieldKey(id); }
    const TQelFeldtyp* get_Parent() const { return parent; }
    int Urtyp() const;
    bool IsA(int typeId) const;

    int id = 0;
    std::string name;
    const TQelFeldtyp* parent = nullptr; // none for a root type
    int length = 0; // default declared length of fields of this type
    int decimals = -1; // amounts: digits after the comma (-1: inherit)
    std::vector<TQelDomainEntry> domain; // default domain of choice types
    std::string description;
    TQelNameInfo nameInfo; // German noun of the type; empty noun: none declared
    int line = 0;
};

class TQelFelddefinition {
public:
    TQelFieldKey Feldtyp() const { return TQelFieldKey(type->id); }
    TQelFieldKey Urtyp() const { return TQelFieldKey(type->Urtyp()); }
    const std::string& Name() const { return name; }
    const std::string& ColumnName() const { return column; }
    const std::string& Description() const { return description.empty() ? name : description; }
    int Length() const { return length; }
    bool Mandatory() const { return mandatory; }
    const std::vector<TQelDomainEntry>& Domain() const { return domain.empty() ? type->domain : domain; }
    std::vector<std::string> DomainTexts() const;
    TQelClassKey ReferencedClass() const { return refClass; }
    int Decimals() const;
    bool IsBlob() const; // long texts: loaded only when asked

    std::string name;
    std::string column;
    const TQelFeldtyp* type = nullptr;
    int length = 0; // declared length in characters; 0 = unlimited
    bool mandatory = false;
    bool hasDefault = false;
    std::string defaultValue; // as text, set through AsString on new objects and elements
    std::vector<TQelDomainEntry> domain;
    TQelClassKey refClass;
    std::string description;
    const TQelKlasse* owner = nullptr;
    int line = 0;
};

// A vector of elements of one element class; a sub-object is a vector of at most one element that
// paths reach without an index.
class TQelVektordefinition {
public:
    const std::string& Name() const { return name; }
    const TQelKlasse* get_Vektorklasse() const { return elementClass; }
    TQelClassKey ClassType() const;
    int MaxCount() const { return single ? 1 : maxCount; }
    bool Single() const { return single; }
    const std::string& Description() const { return description.empty() ? name : description; }

    std::string name;
    const TQelKlasse* elementClass = nullptr;
    int maxCount = 0; // 0 = unlimited
    bool single = false;
    std::string description;
    const TQelKlasse* owner = nullptr;
    int line = 0;
};

class TQelKlasse {
public:
    TQelClassKey Key() const { return TQelClassKey(id); }
    const std::string& Name() const { return name; }
    const TQelKlasse* get_Parent() const { return parent; }
    bool IsA(int classId) const;
    bool IsObjectClass() const { return IsA(qelcls::Objekt); }
    bool Meta() const { return meta; }
    const std::string& TableName() const { return table; }
    const std::string& Category() const { return category; }
    // The position of the (own or inherited) category in QelClassCategories; a category of the
    // application's own counts as "Stammdaten", none at all as "System".
    int CategoryIndex() const;
    const std::string& NameFormat() const; // own or inherited name template
    // Field and vector definitions of the class, inherited ones first, in definition order.
    const std::vector<const TQelFelddefinition*>& Fields() const { return allFields; }
    const std::vector<const TQelVektordefinition*>& Vectors() const { return allVectors; }
    const TQelFelddefinition* FindFelddefinition(const std::string& name) const;
    const TQelVektordefinition* FindVektordefinition(const std::string& name) const;
    // First reference field whose referenced class is `target` or a base of it.
    const TQelFelddefinition* FindReferenceDefinition(TQelClassKey target) const;
    // The field that makes the class a hierarchy: its first reference to itself or a base of it.
    const TQelFelddefinition* GuessParentField() const { return FindReferenceDefinition(Key()); }
    const std::vector<const TQelKlasse*>& Subclasses() const { return children; }
    // The object flags defined for the class: its parents' first, then its own (schema attribute
    // flags="A|B"); a flag's index is its position in this list.
    std::vector<std::string> DefinedFlags() const;

    int id = 0;
    std::string name;
    const TQelKlasse* parent = nullptr;
    std::string table;
    std::string category;
    std::string nameFormat;
    std::string description;
    bool meta = false;
    bool abstract = false;
    TQelNameInfo nameInfo; // German noun of the class; empty noun: none declared
    std::vector<std::string> ownFlags;
    std::vector<std::unique_ptr<TQelFelddefinition>> ownFields;
    std::vector<std::unique_ptr<TQelVektordefinition>> ownVectors;
    std::vector<const TQelFelddefinition*> allFields;
    std::vector<const TQelVektordefinition*> allVectors;
    std::vector<const TQelKlasse*> children;
    const TQelSchema* schema = nullptr;
    int line = 0;
};

class TQelSchema {
public:
    // Loads the built-in part and then `text`; throws TQelSchemaError naming `fileName` and the
    // line. Nothing of a failed load is kept.
    static std::unique_ptr<TQelSchema> Load(const std::string& text, const std::string& fileName);
    static std::unique_ptr<TQelSchema> LoadFile(const std::string& path);
    static const std::string& BuiltinText();

    const TQelFeldtyp* FieldType(int id) const;
    const TQelFeldtyp* FieldTypeByName(const std::string& name) const;
    const TQelKlasse* Class(int id) const;
    const TQelKlasse* ClassByName(const std::string& name) const;
    // Lookup among object classes (deriving from 1005) or among the other (vector) classes.
    const TQelKlasse* ObjectClassByName(const std::string& name) const;
    const TQelKlasse* VectorClassByName(const std::string& name) const;
    std::vector<const TQelKlasse*> Classes() const;
    std::vector<const TQelFeldtyp*> FieldTypes() const;
    // Classes storing rows in `table` (a base class and the classes derived from it share it).
    std::vector<const TQelKlasse*> ClassesOfTable(const std::string& table) const;
    const std::string& Text() const { return text_; }
    const std::string& FileName() const { return fileName_; }

private:
    friend class TQelSchemaParser;
    std::map<int, std::unique_ptr<TQelFeldtyp>> types_;
    std::map<int, std::unique_ptr<TQelKlasse>> classes_;
    std::string text_;
    std::string fileName_;
};
