#pragma once
// Deleting the object a reference field refers to, from a picker's menu (combo, tree combo).
#include "binding/objdb.h"

#include <string>

// Says why when the object cannot be deleted; otherwise asks, and on yes deletes the object and
// only then clears the reference. A deletion the database refuses leaves the reference and the
// object as they were and says why. `name` is how the picker names the object. True when the
// object was deleted (it is freed then).
bool QelDeleteReferencedObject(TQelRefField* ref, const std::string& name);
