#include "documents/qelfltreeview.h"

TQelFLTreeview::TQelFLTreeview(TComponent* owner)
    : THTMLTreeview(owner)
{
    Publish<&TQelFLTreeview::get_FieldPath, &TQelFLTreeview::set_FieldPath>("FieldPath");
}
