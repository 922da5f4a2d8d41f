#pragma once
// Inside the toolkit only: a string list whose changes are mirrored into the item list of a Qt
// widget (combo box, list box). Single changes are mirrored one by one; changes the list makes on
// its own (sorting, exchanging) and an update block rebuild the widget's items once.
#include "toolkit/classes.h"

#include <QStringList>
#include <functional>
#include <string>

class TMirroredStrings : public TStringList {
public:
    struct TMirror {
        std::function<void(int index, const std::string& text)> insert;
        std::function<void(int index, const std::string& text)> put;
        std::function<void(int index)> remove;
        std::function<void()> clear;
        // Replaces the widget's items with the list's.
        std::function<void(const TMirroredStrings& items)> rebuild;
        // Runs a change of the widget's items (with its signals blocked, its state kept); does
        // nothing while the widget is gone.
        std::function<void(const std::function<void()>& change)> apply;
    };

    explicit TMirroredStrings(TMirror mirror)
        : mirror_(std::move(mirror))
    {
    }

    int AddObject(const std::string& s, TObject* object) override;
    void InsertObject(int index, const std::string& s, TObject* object) override;
    void Put(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;

protected:
    void Changed() override;
    void SetUpdateState(bool updating) override;

private:
    void Mirror(const std::function<void()>& change);
    void Rebuild();

    TMirror mirror_;
    bool mirroring_ = false;
    bool dirty_ = false;
};

// The texts of a list, for a widget's addItems.
QStringList ItemTexts(const TStrings& items);
