// Reading values without side effects (a const member read of a null value
// would turn it into an object), dotted key paths, and the error text of a
// reply. Shared by the user, its transactions and the services that read
// replies.
#pragma once

#include "kiplink/Public/IValue.h"

#include <string>
#include <vector>

namespace Kiplink {

// The member of an object, or null when value is no object or lacks it.
const IValue* FindMember(const IValue& value, const char* name);
// The text of a string member, or null.
const char* FindString(const IValue& value, const char* name);

// "a.b.c" into its parts; an empty last part is dropped, earlier empty parts
// stay as empty member names.
std::vector<std::string> SplitDottedKey(const char* key);

// The node at the path, or null when a member is missing or null on the way.
const IValue* FindPath(const IValue& base, const std::vector<std::string>& parts);
// The node at the path, created as null where missing; null when a member
// on the way holds something other than an object or null (its data is
// never replaced by a container).
IValue* MakePath(IValue& base, const std::vector<std::string>& parts);

// What listeners hear of a failed reply: element 1 of an array error when it
// is a string, else "error".
std::string ReplyErrorText(const IValue& error);

// A new empty object (one reference, owned by the caller).
IValue* CreateObject();

// Replaces value with an empty object.
void MakeEmptyObject(IValue& value);

}  // namespace Kiplink
