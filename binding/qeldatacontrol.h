#pragma once
// TQelDataControl<TWidget>: a toolkit widget with a data link and the binding contract declared
// once: ConnectFL / Disconnect / Reconnect, the published FieldPath, FieldProp, ReadOnly and
// AllowCreate accessors, OnFieldTouch, the binding messages and Repaint re-reading the value.
// A data control derives from it, sets the link's hooks in its constructor, handles its own
// messages in WndProc and passes the rest on to this class.
#include "binding/qeldatalink.h"

#include <string>

// Which binding properties a control publishes.
enum : unsigned {
    qelPublishFieldPath = 1,
    qelPublishFieldProp = 2,
    qelPublishReadOnly = 4,
    qelPublishAllowCreate = 8,
    qelPublishAll = 15,
};

template <class TWidget> class TQelDataControl : public TWidget {
public:
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
    {
        return link_.Connect(fl, onlyIfUnconnected);
    }
    int Disconnect() { return link_.Disconnect(); }
    int Reconnect() { return link_.Reconnect(); }
    bool Connected() const { return link_.Connected(); }
    bool PropConnection() const { return link_.PropConnection(); }

    std::string get_FieldPath() const { return link_.FieldPath(); }
    void set_FieldPath(const std::string& path) { link_.SetFieldPath(path); }
    std::string get_FieldProp() const { return link_.FieldProp(); }
    void set_FieldProp(const std::string& prop) { link_.SetFieldProp(prop); }
    bool get_ReadOnly() const { return link_.ReadOnly(); }
    void set_ReadOnly(bool v) { link_.SetReadOnly(v); }
    bool get_AllowCreate() const { return link_.AllowCreate(); }
    void set_AllowCreate(bool v) { link_.SetAllowCreate(v); }

    TQelFieldList* FieldList() const { return link_.FieldList(); }
    TQelObjectInterface* OI() const { return link_.OI(); }
    TQelField* Field() const { return link_.Field(); }
    TQelVector* Vector() const { return link_.Vector(); }
    bool Marked() const { return link_.Marked(); }

    // The bound value as the database now holds it.
    void Repaint() override
    {
        link_.Show();
        TWidget::Repaint();
    }

    TQelDataLink& DataLink() { return link_; }

protected:
    explicit TQelDataControl(TComponent* owner)
        : TWidget(owner)
    {
    }
    ~TQelDataControl() override { this->Destroying(); }

    void PublishBinding(unsigned which)
    {
        using Self = TQelDataControl;
        if (which & qelPublishFieldPath)
            this->template Publish<&Self::get_FieldPath, &Self::set_FieldPath>("FieldPath");
        if (which & qelPublishFieldProp)
            this->template Publish<&Self::get_FieldProp, &Self::set_FieldProp>("FieldProp");
        if (which & qelPublishReadOnly)
            this->template Publish<&Self::get_ReadOnly, &Self::set_ReadOnly>("ReadOnly");
        if (which & qelPublishAllowCreate)
            this->template Publish<&Self::get_AllowCreate, &Self::set_AllowCreate>("AllowCreate");
    }

    void WndProc(TMessage& m) override
    {
        if (!link_.HandleMessage(m))
            TWidget::WndProc(m);
    }

    TQelDataLink link_ { this };

public:
    // Raised when the bound field is touched.
    TNotifyEvent& OnFieldTouch = link_.OnFieldTouch;
};
