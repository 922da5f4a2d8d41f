#pragma once
// TQelPageBinding<TBase>: a page control that connects the controls of all its pages to one
// sub-object or vector element (FieldPath, VectorIndex) of the field list it is given; an empty
// path passes the field list on. TQelPageControl and TQelAdvPageControl are this over the
// toolkit's two page controls.
#include "binding/methods.h"
#include "binding/qelcontainerlink.h"
#include "binding/qeldatalink.h"
#include "binding/qelmessages.h"
#include "controls/QelPanel.h"

#include "toolkit/comctrls.h"

#include <string>

template <class TBase> class TQelPageBinding : public TBase {
public:
    explicit TQelPageBinding(TComponent* owner)
        : TBase(owner)
    {
        using Self = TQelPageBinding;
        this->template Publish<&Self::get_FieldPath, &Self::set_FieldPath>("FieldPath");
        this->template Publish<&Self::get_VectorIndex, &Self::set_VectorIndex>("VectorIndex");
        this->template PublishSet<&Self::get_PanelOptions, &Self::set_PanelOptions, kQelPanelOptionNames>(
            "PanelOptions");
    }
    ~TQelPageBinding() override { this->Destroying(); }

    // 1 when it connected, plus what the connects of the pages' controls return.
    int ConnectFL(const TQelFieldList* fl, bool onlyIfUnconnected)
    {
        if (onlyIfUnconnected && Connected())
            return 0;
        link_.Forget();
        link_.Hold(fl);
        using L = TQelContainerLink;
        link_.ResolveOwn(
            fieldPath_, L::Accepts(L::fSubObject) | L::Accepts(L::fVector) | L::Accepts(L::fPending));
        if (TQelVector* v = link_.Vector())
            link_.SetConnected(v->FieldList(vectorIndex_));
        int count = Connected() ? 1 : 0;
        for (int i = 0; i < this->PageCount(); ++i)
            count += link_.ConnectChildren(this->Pages(i), onlyIfUnconnected);
        TQelContainerLink::ShowUsable(this, Connected(), options_.Contains(poAutoVisibility));
        return count;
    }
    int Disconnect() { return ConnectFL(nullptr, false); }
    bool Connected() const { return link_.Connected() != nullptr || !link_.PendingPath().empty(); }
    TQelFieldList* ConnectedFieldList() const { return link_.Connected(); }

    std::string get_FieldPath() const { return fieldPath_; }
    void set_FieldPath(const std::string& path)
    {
        fieldPath_ = path;
        link_.DropVector();
        reconnect();
    }
    int get_VectorIndex() const { return vectorIndex_; }
    void set_VectorIndex(int index)
    {
        vectorIndex_ = index;
        reconnect();
    }
    TQelPanelOptions get_PanelOptions() const { return options_; }
    void set_PanelOptions(TQelPanelOptions options)
    {
        if (options.Contains(poAutoVisibility) != options_.Contains(poAutoVisibility))
            TQelContainerLink::AutoVisibilitySwitched(this, Connected(), options.Contains(poAutoVisibility));
        options_ = options;
    }

protected:
    void WndProc(TMessage& m) override
    {
        TQelObjectInterface* oi = QelOIFromParam(m.LParam);
        switch (m.Msg) {
        case WM_OC_SETVECTORINDEX:
            set_VectorIndex(static_cast<int>(m.WParam));
            m.Result = 0;
            return;
        case WM_OC_GETFIELD:
            m.Result = QelOIToParam(link_.Connected());
            return;
        case WM_OC_LOCATE:
            m.Result = TQelContainerLink::Locate(link_.Connected(), oi);
            return;
        case WM_ODB_OIDESTROYED:
            link_.Forget(oi);
            m.Result = 0;
            return;
        case WM_ODB_ELEMENTADDED:
        case WM_ODB_ELEMENTREMOVED:
            // An element the path names by index: what the path names now.
            if (oi && oi == link_.ElementVector())
                reconnect();
            m.Result = 0;
            return;
        default:
            break;
        }
        if (!TQelContainerLink::AnswerCommon(m))
            TBase::WndProc(m);
    }

private:
    void reconnect()
    {
        if (link_.Given())
            ConnectFL(link_.Given(), false);
    }

    TQelContainerLink link_ { this };
    std::string fieldPath_;
    int vectorIndex_ = 1;
    TQelPanelOptions options_;
};
