#pragma once
// String lists: TStrings (the abstract list of texts with attached objects, used for combo items
// and memo lines) and TStringList (the stand-alone list: sorting, duplicates, name=value lines,
// comma text, files).
#include "toolkit/component.h"
#include "toolkit/tkevent.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Raised for a rejected duplicate or an index out of range.
class EStringListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TStrings : public TObject {
public:
    ~TStrings() override = default;

    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s);
    virtual TObject* GetObject(int index) const;
    virtual void PutObject(int index, TObject* object);
    virtual void InsertObject(int index, const std::string& s, TObject* object) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const std::string& s) { return AddObject(s, nullptr); }
    virtual int AddObject(const std::string& s, TObject* object);
    void Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }
    virtual void Exchange(int a, int b);
    void Move(int from, int to);
    virtual int IndexOf(const std::string& s) const;
    int IndexOfObject(const TObject* object) const;

    std::string Strings(int index) const { return Get(index); }
    std::string operator[](int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }

    // name=value lines.
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(const std::string& name) const;
    std::string Values(const std::string& name) const;
    // An empty value removes the line; otherwise an existing line is replaced or one is added.
    void SetValue(const std::string& name, const std::string& value);

    // Every line followed by a line break; setting splits at CR, LF and CR LF.
    std::string Text() const;
    virtual void SetText(const std::string& text);
    // Items separated by commas; items with blanks, commas or quotes are quoted with '"'.
    std::string CommaText() const { return DelimitedText(',', '"', false); }
    void SetCommaText(const std::string& text) { SetDelimitedText(text, ',', '"', false); }
    std::string DelimitedText(char delimiter, char quote = '"', bool strict = false) const;
    // Without `strict`, unquoted blanks separate items too.
    void SetDelimitedText(const std::string& text, char delimiter, char quote = '"', bool strict = false);

    void Assign(const TStrings& source);
    void AddStrings(const TStrings& source);
    bool Equals(const TStrings& other) const;
    std::vector<std::string> ToVector() const;

    bool LoadFromFile(const std::string& path);
    bool SaveToFile(const std::string& path) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    bool CaseSensitive() const { return caseSensitive_; }
    virtual void SetCaseSensitive(bool v) { caseSensitive_ = v; }

protected:
    int CompareStrings(const std::string& a, const std::string& b) const;
    // Called when an update block starts (true) and ends (false).
    virtual void SetUpdateState(bool updating);

private:
    int updateCount_ = 0;
    bool caseSensitive_ = false;
};

class TStringList : public TStrings {
public:
    TStringList() = default;
    explicit TStringList(bool ownsObjects)
        : ownsObjects_(ownsObjects)
    {
    }
    ~TStringList() override;

    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* object) override;
    void InsertObject(int index, const std::string& s, TObject* object) override;
    int AddObject(const std::string& s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int a, int b) override;
    int IndexOf(const std::string& s) const override;

    // Binary search in a sorted list: true when found; `index` is the position of s or where it
    // would go.
    bool Find(const std::string& s, int& index) const;
    void Sort();
    void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

    bool Sorted() const { return sorted_; }
    void SetSorted(bool v);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates v) { duplicates_ = v; }
    void SetCaseSensitive(bool v) override;
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool v) { ownsObjects_ = v; }

    // After each change (once at the end of an update block).
    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    virtual void Changed();
    virtual void Changing();
    void SetUpdateState(bool updating) override;
    void CheckIndex(int index) const;

private:
    struct Item {
        std::string text;
        TObject* object = nullptr;
    };
    std::vector<Item> items_;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
    bool ownsObjects_ = false;
    bool changedInUpdate_ = false;
};
