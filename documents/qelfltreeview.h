#pragma once
// TQelFLTreeview: an HTML tree view that carries a FieldPath for the binding framework; what it
// shows is the application's.
#include "toolkit/htmltreeview.h"

#include <string>

class TQelFLTreeview : public THTMLTreeview {
public:
    explicit TQelFLTreeview(TComponent* owner);

    std::string get_FieldPath() const { return fieldPath_; }
    void set_FieldPath(const std::string& path) { fieldPath_ = path; }

private:
    std::string fieldPath_;
};
