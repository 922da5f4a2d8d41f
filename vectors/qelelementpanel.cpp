// The field panel that shows a vector editor's current element.
#include "vectors/qelelementpanel.h"

#include "controls/QelPanel.h"

bool TQelElementPanel::Set(TQelPanel* panel)
{
    if (panel == panel_)
        return false;
    Release();
    panel_ = panel;
    if (!panel)
        return false;
    panel->FreeNotification(owner_);
    return true;
}

void TQelElementPanel::Removed(TComponent* component)
{
    if (component == panel_)
        panel_ = nullptr;
}

void TQelElementPanel::Release()
{
    if (panel_)
        panel_->RemoveFreeNotification(owner_);
}

bool TQelElementPanel::GivePath(const std::string& path)
{
    if (!panel_)
        return false;
    panel_->set_FieldPath(path);
    return true;
}

int TQelElementPanel::Follow(const std::string& path, const TQelFieldList* fl, TQelSubObject* element,
    TObject* sender, const TNotifyEvent& before, const TNotifyEvent& after)
{
    if (!panel_ || panel_->get_FieldPath() != path)
        return 0;
    if (!element) {
        // The add row or an empty vector: nothing to show (and nothing to create by showing).
        if (panel_->Connected())
            panel_->Disconnect();
        return 0;
    }
    if (panel_->ConnectedFieldList() == element->FieldList())
        return 0;
    before(sender);
    panel_->set_VectorIndex(element->VectorIndex());
    const int result = panel_->ConnectFL(fl, false);
    after(sender);
    return result;
}
