// Edits of a cloud object's data as a list of small operations, so that this
// device and the service apply the same edits to their own copies and merge
// the edits of other devices; the hash that names one version of a value; and
// the folding of a list before it is sent.
//
// A list is a JSON array read from the start: a code (a non-negative number,
// optionally after the modifier -1, the merge form of codes 10 to 13), then
// the code's keys and operands. Codes 0, 1 and 2 move the data and meta
// cursors down one member, up one level and up n levels; the others change
// the member named by their key and stamp the meta member of the same key
// with the current time. The table of codes is in CloudOps.cpp.
#pragma once

#include "kiplink/Public/IValue.h"

#include <cstdint>

namespace Kiplink {

// The CRC-32 based hash of a value: a scalar hashes its text form ("" for
// null), an array folds its elements' hashes with their decimal indexes, an
// object its members' with their key texts (XOR, so member order is free).
uint32_t CloudValueHash(const IValue& value);

// The CRC-32 of bytes, continued from a start value (0 gives the plain CRC).
uint32_t CloudCrc32(uint32_t start, const void* bytes, size_t length);

// Applies list to data and meta in place at server time nowSeconds. True when
// the whole list was read without a fault; operations before a fault stay
// applied (the caller restores its copy). A list that is not an array fails,
// a null one is empty.
bool RunCloudOps(const IValue& list, IValue& data, IValue& meta, uint32_t nowSeconds);

// Folds list: operations regroup under the member they descend to, adjacent
// additions, products, ORs, appended texts and flag ORs on one key merge, and
// the result returns to the root at its end. False leaves list unchanged.
bool CompactCloudOps(IValue& list);

}  // namespace Kiplink
