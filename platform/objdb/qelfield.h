#pragma once
// Fields: one value of a field list, typed by its field definition. Every kind reads and writes
// its value as text (AsString) in the German formats users type; typed accessors exist where the
// controls need them. A text that cannot be read as a value is kept as it was typed and makes the
// field invalid (Valid() false, SyntaxError() true) until corrected; a commit refuses it.
#include "objdb/qeloi.h"
#include "objdb/qelschema.h"
#include "objdb/qelvalue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class TQelFieldList;

class TQelField : public TQelObjectInterface {
public:
    TQelField(TQelFieldList* owner, const TQelFelddefinition* def);
    ~TQelField() override;

    int OIType() const override { return oiField; }
    std::string Name() const override;
    std::string Path() const override;
    std::string Description() const override;
    std::string Info() const override;

    const TQelFelddefinition* Definition() const { return def_; }
    TQelFieldKey FieldType() const { return def_->Feldtyp(); }
    int HardType() const { return def_->type->id; }
    int Urtyp() const { return def_->type->Urtyp(); }
    bool IsA(TQelFieldKey type) const { return def_->type->IsA(type.Id()); }
    bool IsA(int typeId) const { return def_->type->IsA(typeId); }
    const std::string& ColumnName() const { return def_->column; }
    bool Mandatory() const { return def_->mandatory; }
    int MaxLength() const { return def_->length; }
    TQelFieldList* FieldList() const;

    virtual std::string AsString() const;
    void set_AsString(const std::string& text);
    // Replaces `count` bytes from byte `at` of a text kept as typed (a text or long text) by
    // `text` in place, as set_AsString of the whole changed text would, notifications included,
    // without copying the rest. False (nothing changed) for other kinds and values, and for a
    // range outside the value or not on character boundaries.
    bool ReplaceText(std::size_t at, std::size_t count, std::string_view text);
    // Whether set_AsString would read the text as a value (and not keep it as a syntax error).
    bool Readable(const std::string& text) const
    {
        TQelValue v;
        return parse(text, v);
    }
    virtual std::string NullValue() const { return {}; }
    // The typed text cannot be completed to a valid value any more.
    virtual bool DeadEnd(const std::string& text) const;
    virtual std::vector<std::string> GetDomain() const { return {}; }
    // flags 1: a date without its time.
    virtual std::string GetFormatted(int flags) const;

    bool Null() const override;
    void set_Null(bool null);
    bool NullOrDefault() const override;
    bool Touched() const override;
    bool Valid() const override { return ValidityError().empty(); }
    // Why the value cannot be stored ("" when it can): syntax, mandatory, maximum length, domain.
    std::string ValidityError() const;
    bool SyntaxError() const { return syntaxError_; }
    void Rollback(const std::string& path = "") override;

    bool AsBool() const;
    void set_AsBool(bool v);
    std::int64_t AsInteger() const;
    void set_AsInteger(std::int64_t v);
    double AsFloat() const;
    void set_AsFloat(double v);
    const TQelValue& Value() const { return value_; }
    void SetValue(const TQelValue& v);
    const TQelValue& StoredValue() const { return stored_; }

    // The value as an SQL literal (the dialect's ValueString).
    virtual std::string SqlValue() const;

    // Storage (used by the store): the value of a loaded row, and taking the current value as stored.
    virtual void LoadStored(const TQelValue& v);
    virtual void AcceptStored();
    // Whether the store writes this field's column (unloaded blobs are left alone).
    virtual bool Writable() const { return true; }
    // Initial value of a new object or element: the definition's default.
    virtual void ApplyDefault();
    // Stored state only (restoring a snapshot); no notifications.
    void SetStoredValue(const TQelValue& v) { stored_ = v; }
    // Restores the stored value without notifying (the caller notifies once for a whole rollback).
    virtual void Revert();

protected:
    // Reads a typed text; false keeps it as a syntax error.
    virtual bool parse(const std::string& text, TQelValue& out) const;
    virtual std::string format(const TQelValue& v) const;
    // Reasons beyond syntax, mandatory and length ("" when fine).
    virtual std::string validateValue() const { return {}; }
    virtual std::size_t textLength(const TQelValue& v) const;
    // The stored representation of a loaded column value for this kind.
    TQelValue normalize(const TQelValue& v) const;
    // Called before every write, ahead of comparing with the current value.
    virtual void prepareWrite() { }
    // Sets value and syntax state, sends the touch notifications when something changed; a side
    // effect (the library changed the field, not its setter) also repaints the field's targets.
    void assign(TQelValue v, bool syntaxError, const std::string& raw, bool sideEffect = false);
    // The notifications after the value changed (`wasValid`: Valid() before).
    void announceChange(const std::weak_ptr<bool>& alive, bool wasValid, bool sideEffect);

    const TQelFelddefinition* def_;
    TQelValue value_;
    TQelValue stored_;
    bool syntaxError_ = false;
    std::string rawText_;

    friend class TQelVector;
};

class TQelStringField : public TQelField {
public:
    using TQelField::TQelField;
    // Type 13426 may be told not to trim what users type (the edit control asks it).
    bool StringOption() const { return stringOption_; }
    void set_StringOption(bool v) { stringOption_ = v; }

protected:
    bool parse(const std::string& text, TQelValue& out) const override;

private:
    bool stringOption_ = false;
};

class TQelIntegerField : public TQelField {
public:
    using TQelField::TQelField;
    bool DeadEnd(const std::string& text) const override;

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
};

// Amounts: German notation "1.234,56"; the number of decimals comes from the field type.
class TQelAmountField : public TQelField {
public:
    using TQelField::TQelField;
    bool DeadEnd(const std::string& text) const override;
    int Decimals() const { return def_->Decimals(); }

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
};

class TQelBoolField : public TQelField {
public:
    using TQelField::TQelField;
    bool DeadEnd(const std::string& text) const override;
    // Not mandatory: null, "Ja", "Nein"; mandatory: "Ja", "Nein".
    std::vector<std::string> GetDomain() const override;

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
};

// Date and time, stored as ISO text ("1980-05-17", "14:30", "1980-05-17 14:30:00"); shown and typed
// as "17.05.1980", "14:30", "17.05.1980 14:30".
class TQelDateTimeField : public TQelField {
public:
    using TQelField::TQelField;
    bool DeadEnd(const std::string& text) const override;
    std::string GetFormatted(int flags) const override;
    bool HasDate() const;
    bool HasTime() const;
    bool HasSeconds() const;
    // Days since 1899-12-30 plus the fraction of the day (0 for null).
    double AsDateTime() const;
    void set_AsDateTime(double dt);

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
};

// One entry of a domain; stored as its text.
class TQelChoiceField : public TQelField {
public:
    using TQelField::TQelField;
    // Not mandatory: the null entry first, then the domain; mandatory: the domain.
    std::vector<std::string> GetDomain() const override;
    bool DeadEnd(const std::string& text) const override;
    // Position in GetDomain(); null is 0 (not mandatory) or -1 (mandatory); a stored text that is no
    // longer in the domain gives -1.
    int AsIndex() const;
    void set_AsIndex(int index);
    bool InDomain(const std::string& text) const;
    // The declared abbreviation of a domain text (the text itself when it has none; "" outside).
    std::string Abbr(const std::string& text) const;
    // The display text of a stored value.
    static std::string Surface(const std::string& value);

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string validateValue() const override;
};

// A set of domain entries as a bit mask (bit i = entry i); the text form joins the entries with ", ".
class TQelMultiChoiceField : public TQelField {
public:
    using TQelField::TQelField;
    std::vector<std::string> GetDomain() const override;
    bool DeadEnd(const std::string&) const override { return false; }

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
};

// A large set of domain entries as a flag text: one "X" or "." per domain position.
class TQelFlagsField : public TQelField {
public:
    using TQelField::TQelField;
    std::vector<std::string> GetDomain() const override;
    bool DeadEnd(const std::string&) const override { return false; }
    std::string ValueAsFlags() const;
    void set_ValueAsFlags(const std::string& flags);

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
};

// A reference to an object of ClassType(); the text form is the referenced object's name, and a
// text "#<key>" or a plain number sets the key.
class TQelRefField : public TQelField {
public:
    using TQelField::TQelField;
    TQelObjectKey AsKey() const;
    TQelObjectKey get_AsKey() const { return AsKey(); }
    void set_AsKey(TQelObjectKey key);
    TQelObject* get_AsObject() const;
    void set_AsObject(TQelObject* obj);
    std::string ObjectName() const;
    TQelClassKey ClassType() const { return def_->refClass; }
    bool DeadEnd(const std::string&) const override { return false; }

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    std::string format(const TQelValue& v) const override;
    std::string validateValue() const override;
};

// Long contents kept out of object loading: the buffer is read from the store when it is first
// asked for (Loaded := true, BufferAsString, AsString) and before the first write, so that every
// write is stored. When the stored buffer cannot be read, a write replaces it whole and the field
// counts as touched until it is committed or rolled back.
class TQelBlobField : public TQelField {
public:
    using TQelField::TQelField;
    bool Loaded() const { return loaded_; }
    bool get_Loaded() const { return loaded_; }
    // Loading may fail (ErrorMessage tells why); returns the state afterwards.
    bool set_Loaded(bool v);
    std::string BufferAsString() const;
    std::string get_BufferAsString() const { return BufferAsString(); }
    void set_BufferAsString(const std::string& text);
    // Reads the stored buffer again, dropping unsaved changes.
    bool ReloadBlob();
    std::string AsString() const override;
    bool Null() const override;
    bool Touched() const override;
    bool Writable() const override { return loaded_; }
    void ApplyDefault() override;
    void Revert() override;
    void LoadStored(const TQelValue& v) override;
    void AcceptStored() override;
    // Marks the buffer as not loaded (after the row was read without it).
    void Unload();
    std::size_t DataLength() const;

protected:
    bool parse(const std::string& text, TQelValue& out) const override;
    void prepareWrite() override;

private:
    bool ensureLoaded() const;
    mutable bool loaded_ = false;
    bool unknownStored_ = false; // written without the stored buffer (it could not be read)
};

class TQelTextField : public TQelBlobField {
public:
    using TQelBlobField::TQelBlobField;
};

// The formatted text as one data object, as the rich-text editors exchange it: the document as
// HTML (bold, italic, underline, colours, lists, paragraphs).
struct TErvTypFormatierbarerText {
    std::string html;
    bool Empty() const { return html.empty(); }
};

// Formatted text, kept as HTML; named formats "HTML", "RTF", "TXT" (and "ADD..." to append).
class TQelERVTextField : public TQelTextField {
public:
    using TQelTextField::TQelTextField;
    // The stored document into `out`; false (ErrorMessage tells why) when it cannot be loaded.
    bool export_xmldata(TErvTypFormatierbarerText& out) const;
    // Takes the document as the field's value (an empty document makes the field null); false
    // (ErrorMessage tells why) when the field cannot take it.
    bool import_xmldata(const TErvTypFormatierbarerText& in);
    std::string GetNamedProp(const std::string& key) const;
    bool SetNamedProp(const std::string& key, const std::string& text);
    std::string AsHTML() const { return GetNamedProp("HTML"); }
    std::string AsTXT() const { return GetNamedProp("TXT"); }
    std::string AsRTF() const { return GetNamedProp("RTF"); }
    void set_AsHTML(const std::string& t) { SetNamedProp("HTML", t); }
    void set_AsTXT(const std::string& t) { SetNamedProp("TXT", t); }
    void set_AsRTF(const std::string& t) { SetNamedProp("RTF", t); }
    void AddHTML(const std::string& t) { SetNamedProp("ADDHTML", t); }
    void AddTXT(const std::string& t) { SetNamedProp("ADDTXT", t); }
    void AddRTF(const std::string& t) { SetNamedProp("ADDRTF", t); }
};

// External-reference key: a text key naming an element elsewhere.
class TQelERVKeyField : public TQelStringField {
public:
    using TQelStringField::TQelStringField;
};

// Creates the field kind for a definition.
std::unique_ptr<TQelField> QelCreateField(TQelFieldList* owner, const TQelFelddefinition* def);

// Today as days since 1899-12-30, and a day as ISO text ("1980-05-17").
double QelToday();
std::string QelIsoDate(double dt);
