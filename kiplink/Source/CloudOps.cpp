// The interpreter of cloud-object operation lists, their compaction and the
// value hash.
//
// Codes ("key" names a member of the data cursor, "target" that member,
// created as null; "stamp" sets meta cursor[key] to the current time):
//   0 key        descend     1  up one     2 n   up n levels
//   10 key value crc   set when target is null or hashes to crc
//   11 key value       set when target is no number or value < target
//   12 key value       set when target is no number or value > target
//   13 key value time  set unless target is set and time < its stamp
//   20..26 key n       +=, *=, AND, OR, XOR, NOT (no n), modulo
//   27 key rate        += rate * seconds since the stamp
//   30 key text        append text
//   40..46             prepend, append, pop front, pop back, remove all /
//                      the first with a hash, append keeping at most max
//   50..53             NOT, AND, OR, XOR of flags
//   60 from to         move a member
// Operands come from other devices: every size and type is checked before
// use, and a fault fails the run instead of trapping.
#include "kiplink/Source/CloudOps.h"

#include "kiplink/Source/Crypto.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Kiplink {

namespace {

// As deep as the JSON reader nests: deeper descents fail the run.
constexpr size_t kMaxDepth = 512;
// An integer key may grow an array by at most this many elements at once,
// so a remote key of 2^31 cannot allocate gigabytes.
constexpr uint32_t kMaxArrayGrowth = 4096;

constexpr int kMergeModifier = -1;

// Elements an operation takes, its code included; 0 for unknown codes.
int OperationLength(int code) {
    switch (code) {
        case 1:
            return 1;
        case 0: case 2: case 25: case 42: case 43: case 50:
            return 2;
        case 11: case 12: case 20: case 21: case 22: case 23: case 24: case 26: case 27:
        case 30: case 40: case 41: case 44: case 45: case 51: case 52: case 53: case 60:
            return 3;
        case 10: case 13: case 46:
            return 4;
        default:
            return 0;
    }
}

bool IsKey(const IValue* key) { return key != nullptr && (key->IsString() || key->IsNumber()); }

bool SameKey(const IValue& a, const IValue& b) {
    if (a.IsString() && b.IsString()) {
        uint32_t lengthA = 0, lengthB = 0;
        const char* textA = a.AsStringWithLength(&lengthA);
        std::string copyA(textA, lengthA);  // number texts share one buffer
        const char* textB = b.AsStringWithLength(&lengthB);
        return copyA.size() == lengthB && std::memcmp(copyA.data(), textB, lengthB) == 0;
    }
    return a.IsNumber() && b.IsNumber() && a.AsInt(0) == b.AsInt(0);
}

// The member of a container under key without creating it, or null.
const IValue* FindMember(const IValue& container, const IValue& key) {
    if (container.IsArray()) {
        if (!key.IsNumber()) {
            return nullptr;
        }
        const int32_t index = key.AsInt(-1);
        return index >= 0 && static_cast<uint32_t>(index) < container.GetMemberCount()
                   ? container.GetMemberAt(static_cast<uint32_t>(index))
                   : nullptr;
    }
    if (!container.IsObject()) {
        return nullptr;
    }
    IValue& mutableContainer = const_cast<IValue&>(container);  // GetMemberName only reads
    for (uint32_t i = 0; i < container.GetMemberCount(); ++i) {
        if (SameKey(*mutableContainer.GetMemberName(i), key)) {
            return container.GetMemberAt(i);
        }
    }
    return nullptr;
}

// cursor[key], created as null when missing (the cursor becomes an object
// for a text key, an array for an integer key, as the value type does);
// null for a key that names no member safely.
IValue* Member(IValue& cursor, const IValue& key) {
    if (key.IsString()) {
        return cursor.GetMemberByString(key.AsString(""));
    }
    if (!key.IsNumber()) {
        return nullptr;
    }
    const int32_t index = key.AsInt(0);
    if (cursor.IsObject()) {
        return cursor.GetMemberByInt(index);
    }
    const uint32_t count = cursor.IsArray() ? cursor.GetMemberCount() : 0;
    if (index < 0 || static_cast<uint32_t>(index) > count + kMaxArrayGrowth) {
        return nullptr;
    }
    return cursor.GetMemberByInt(index);
}

void RemoveMember(IValue& cursor, const IValue& key) {
    if (!cursor.IsObject()) {
        return;
    }
    if (key.IsString()) {
        cursor.RemoveMemberByString(key.AsString(""));
    } else {
        cursor.RemoveMemberByInt(key.AsInt(0));
    }
}

// The value's text as the hash reads it: numbers in the value's own text,
// booleans "true" and "false", null and containers "".
std::string TextForm(const IValue& value) {
    uint32_t length = 0;
    const char* text = value.AsStringWithLength(&length);
    return std::string(text, length);
}

uint32_t UnsignedOf(const IValue& value) { return value.AsUInt(0); }

IValue* UIntValue(uint32_t number) {
    IValue* value = CreateValue();
    value->SetAsUInt(number);
    return value;
}

class Interpreter {
public:
    Interpreter(const IValue& list, IValue& data, IValue& meta, uint32_t now)
        : m_list(list), m_count(list.GetMemberCount()), m_data(&data), m_meta(&meta), m_now(now) {}

    bool Run() {
        uint32_t position = 0;
        while (position < m_count) {
            const IValue* element = At(position);
            if (!element->IsNumber()) {
                return false;
            }
            int modifier = 0;
            if (element->AsInt(0) < 0) {
                modifier = element->AsInt(0);
                ++position;
                element = At(position);
                if (element == nullptr || !element->IsNumber()) {
                    return false;
                }
            }
            const int length = Step(position, element->AsInt(-1), modifier == kMergeModifier);
            if (length <= 0) {
                return false;
            }
            position += static_cast<uint32_t>(length);
        }
        return true;
    }

private:
    const IValue* At(uint32_t index) const {
        return index < m_count ? m_list.GetMemberAt(index) : nullptr;
    }

    bool Pop(uint32_t levels) {
        if (levels > m_dataStack.size()) {
            return false;
        }
        for (uint32_t i = 0; i < levels; ++i) {
            m_data = m_dataStack.back();
            m_meta = m_metaStack.back();
            m_dataStack.pop_back();
            m_metaStack.pop_back();
        }
        return true;
    }

    bool Stamp(const IValue& key) {
        IValue* stamp = Member(*m_meta, key);
        if (stamp == nullptr) {
            return false;
        }
        stamp->SetAsUInt(m_now);
        return true;
    }

    uint32_t StampOf(const IValue& key) const {
        const IValue* stamp = FindMember(*m_meta, key);
        return stamp != nullptr ? UnsignedOf(*stamp) : 0;
    }

    // The set of codes 10 to 13: the value itself, or in the merge form
    // each of its members under its own key.
    static void Set(IValue& cursor, IValue& target, const IValue& value, bool merge) {
        if (!merge) {
            target.SetAsValue(value);
            return;
        }
        if (!value.IsObject() && !value.IsArray()) {
            return;
        }
        IValue& mutableValue = const_cast<IValue&>(value);  // GetMemberName only reads
        for (uint32_t i = 0; i < value.GetMemberCount(); ++i) {
            IValue* into = value.IsArray() ? Member(cursor, *RefPtr<IValue>::Adopt(UIntValue(i)))
                                           : Member(cursor, *mutableValue.GetMemberName(i));
            if (into != nullptr) {
                into->SetAsValue(*value.GetMemberAt(i));
            }
        }
    }

    // Returns the operation's length, or 0 for a fault.
    int Step(uint32_t position, int code, bool merge) {
        const int length = OperationLength(code);
        if (length == 0 || position + static_cast<uint32_t>(length) > m_count) {
            return 0;
        }
        if (code == 1) {
            return Pop(1) ? length : 0;
        }
        if (code == 2) {
            const IValue* levels = At(position + 1);
            return levels->IsNumber() && Pop(UnsignedOf(*levels)) ? length : 0;
        }
        const IValue* key = At(position + 1);
        if (!IsKey(key)) {
            return 0;
        }
        if (code == 60) {
            const IValue* to = At(position + 2);
            if (!IsKey(to)) {
                return 0;
            }
            if (SameKey(*key, *to)) {
                return length;  // a move onto itself must not drop the member
            }
            IValue* from = Member(*m_data, *key);
            if (from == nullptr) {
                return 0;
            }
            RefPtr<IValue> copy = RefPtr<IValue>::Adopt(from->Clone());
            IValue* into = Member(*m_data, *to);
            if (into == nullptr) {
                return 0;
            }
            into->SetAsValue(*copy);
            RemoveMember(*m_data, *key);
            return length;
        }
        if (code == 0) {
            if (m_dataStack.size() >= kMaxDepth) {
                return 0;
            }
            IValue* data = Member(*m_data, *key);
            IValue* meta = data != nullptr ? Member(*m_meta, *key) : nullptr;
            if (meta == nullptr) {
                return 0;
            }
            m_dataStack.push_back(m_data);
            m_metaStack.push_back(m_meta);
            m_data = data;
            m_meta = meta;
            return length;
        }
        IValue* target = Member(*m_data, *key);
        if (target == nullptr) {
            return 0;
        }
        const IValue* operand = length >= 3 ? At(position + 2) : nullptr;
        return Apply(code, *key, *target, operand, position, merge) ? length : 0;
    }

    bool Apply(int code, const IValue& key, IValue& target, const IValue* operand, uint32_t position,
               bool merge) {
        switch (code) {
            case 10: {
                const IValue* crc = At(position + 3);
                if (!crc->IsNumber() || (!target.IsNull() && CloudValueHash(target) != UnsignedOf(*crc))) {
                    return true;
                }
                Set(*m_data, target, *operand, merge);
                return Stamp(key);
            }
            case 11:
            case 12: {
                const IValue* compared = merge ? FindMember(*operand, key) : operand;
                if (target.IsNumber()) {
                    const bool better = compared != nullptr &&
                                        (code == 11 ? *compared < target : *compared > target);
                    if (!better) {
                        return true;
                    }
                }
                Set(*m_data, target, *operand, merge);
                return Stamp(key);
            }
            case 13: {
                const IValue* time = At(position + 3);
                const uint32_t when = time->IsNumber() ? UnsignedOf(*time) : m_now;
                if (!target.IsNull() && when < StampOf(key)) {
                    return true;
                }
                Set(*m_data, target, *operand, merge);
                return Stamp(key);
            }
            case 20:
                target += *operand;
                return Stamp(key);
            case 21:
                target *= *operand;
                return Stamp(key);
            case 22:
                target.SetAsUInt(UnsignedOf(target) & UnsignedOf(*operand));
                return Stamp(key);
            case 23:
                target.SetAsUInt(UnsignedOf(target) | UnsignedOf(*operand));
                return Stamp(key);
            case 24:
                target.SetAsUInt(UnsignedOf(target) ^ UnsignedOf(*operand));
                return Stamp(key);
            case 25:
                target.SetAsUInt(~UnsignedOf(target));
                return Stamp(key);
            case 26:
                // A zero divisor from another device fails the run; the
                // caller restores its copy.
                if (!operand->IsNumber() || operand->AsFloat(0.0f) == 0.0f) {
                    return false;
                }
                target %= *operand;
                return Stamp(key);
            case 27: {
                // Signed: a stamp ahead of the clock accrues nothing rather
                // than wrapping to a huge elapsed time.
                const int64_t elapsed = static_cast<int64_t>(m_now) - static_cast<int64_t>(StampOf(key));
                if (elapsed <= 0) {
                    return true;
                }
                RefPtr<IValue> gain = RefPtr<IValue>::Adopt(CreateValue());
                gain->SetAsValue(*operand);
                RefPtr<IValue> seconds = RefPtr<IValue>::Adopt(CreateValue());
                seconds->SetAsUInt(static_cast<uint32_t>(elapsed));
                *gain *= *seconds;
                target += *gain;
                return Stamp(key);
            }
            case 30: {
                const std::string text = TextForm(*operand);
                if (!target.IsString()) {
                    target.SetAsString("");
                }
                std::string joined = TextForm(target) + text;
                target.SetAsStringWithLength(joined.data(), static_cast<uint32_t>(joined.size()));
                return Stamp(key);
            }
            case 40:
                target.PrependValue(*operand);
                return Stamp(key);
            case 41:
                target.AppendValue(*operand);
                return Stamp(key);
            case 42:
                target.PopFront();
                return Stamp(key);
            case 43:
                target.PopBack();
                return Stamp(key);
            case 44:
            case 45: {
                if (!operand->IsNumber() || !target.IsArray()) {
                    return true;
                }
                const uint32_t crc = UnsignedOf(*operand);
                bool removed = false;
                for (uint32_t i = 0; i < target.GetMemberCount();) {
                    if (CloudValueHash(*target.GetMemberAt(i)) == crc && !(code == 45 && removed)) {
                        target.RemoveAt(i);
                        removed = true;
                    } else {
                        ++i;
                    }
                }
                return code == 44 || removed ? Stamp(key) : true;
            }
            case 46: {
                const IValue* maximum = At(position + 3);
                if (!maximum->IsNumber()) {
                    return true;
                }
                target.AppendValue(*operand);
                const uint32_t keep = maximum->AsUInt(1);
                while (target.GetMemberCount() > keep) {
                    target.PopFront();
                }
                return Stamp(key);
            }
            case 50:
                target.SetAsBool(!target.AsBool(false));
                return Stamp(key);
            case 51:
            case 52:
            case 53: {
                const bool flag = operand->AsBool(false);
                if (target.IsBool()) {
                    const bool now = target.AsBool(false);
                    if (code == 51) {
                        target.SetAsBool(now && flag);
                    } else if (code == 52) {
                        target.SetAsBool(now || flag);
                    } else {
                        target.SetAsInt(now != flag ? 1 : 0);
                    }
                    return true;
                }
                if (code == 51) {
                    target.SetAsBool(false);
                } else if (code == 52) {
                    target.SetAsValue(*operand);
                } else {
                    target.SetAsInt(flag ? 1 : 0);
                }
                return Stamp(key);
            }
            default:
                return false;
        }
    }

    const IValue& m_list;
    const uint32_t m_count;
    IValue* m_data;
    IValue* m_meta;
    const uint32_t m_now;
    std::vector<IValue*> m_dataStack;
    std::vector<IValue*> m_metaStack;
};

// ---- compaction

// One member the list descends to: the operations final at it, the last one
// (which a next operation of a foldable code may merge into), and its
// children in the order they were first reached.
struct OpNode {
    RefPtr<IValue> key;  // null at the root
    std::vector<RefPtr<IValue>> final;
    RefPtr<IValue> last;
    std::vector<std::unique_ptr<OpNode>> children;

    OpNode* Child(const IValue& childKey) {
        for (auto& child : children) {
            if (child->key->IsString() == childKey.IsString() && SameKey(*child->key, childKey)) {
                return child.get();
            }
        }
        children.push_back(std::make_unique<OpNode>());
        children.back()->key = RefPtr<IValue>::Adopt(childKey.Clone());
        return children.back().get();
    }
};

bool IsFoldable(int code) { return code == 20 || code == 21 || code == 23 || code == 30 || code == 52; }

// Record layout: [modifier,] code, key, operands...
uint32_t CodeIndex(const IValue& record) { return record.GetMemberAt(0)->AsInt(0) < 0 ? 1 : 0; }

// Folds the operand of the recorded operation into the new record's.
void Fold(int code, const IValue& recorded, IValue& record) {
    const IValue& before = *recorded.GetMemberAt(recorded.GetMemberCount() - 1);
    IValue& operand = *record.GetMemberAt(record.GetMemberCount() - 1);
    RefPtr<IValue> folded = RefPtr<IValue>::Adopt(before.Clone());
    switch (code) {
        case 20:
            *folded += operand;
            break;
        case 21:
            *folded *= operand;
            break;
        case 23:
            folded->SetAsUInt(UnsignedOf(before) | UnsignedOf(operand));
            break;
        case 30: {
            const std::string text = TextForm(before) + TextForm(operand);
            folded->SetAsStringWithLength(text.data(), static_cast<uint32_t>(text.size()));
            break;
        }
        default:
            // A flag, not 0 or 1: on a member that is no flag yet the pair
            // leaves a flag, and the folded form must too.
            folded->SetAsBool(before.AsBool(false) || operand.AsBool(false));
            break;
    }
    operand.SetAsValue(*folded);
}

bool IsReservedKey(const IValue& key) {
    if (!key.IsString()) {
        return false;
    }
    const std::string text = TextForm(key);
    return text == "~" || text == "~~";
}

void AppendRecord(const IValue& record, IValue& out) {
    for (uint32_t i = 0; i < record.GetMemberCount(); ++i) {
        out.AppendValue(*record.GetMemberAt(i));
    }
}

void AppendPops(size_t levels, IValue& out) {
    if (levels == 1) {
        out.AppendInt(1);
    } else if (levels > 1) {
        out.AppendInt(2);
        out.AppendUInt(static_cast<uint32_t>(levels));
    }
}

void Emit(const OpNode& node, size_t depth, size_t* currentDepth, IValue& out) {
    for (const auto& record : node.final) {
        AppendRecord(*record, out);
    }
    if (node.last) {
        AppendRecord(*node.last, out);
    }
    for (const auto& child : node.children) {
        AppendPops(*currentDepth - depth, out);
        out.AppendInt(0);
        out.AppendValue(*child->key);
        *currentDepth = depth + 1;
        Emit(*child, depth + 1, currentDepth, out);
    }
}

}  // namespace

uint32_t CloudCrc32(uint32_t start, const void* bytes, size_t length) {
    return Crc32End(Crc32Update(~start, bytes, length));
}

uint32_t CloudValueHash(const IValue& value) {
    if (value.IsArray()) {
        uint32_t hash = 0;
        char index[16];
        for (uint32_t i = 0; i < value.GetMemberCount(); ++i) {
            const int length = std::snprintf(index, sizeof index, "%d", static_cast<int>(i));
            hash ^= CloudCrc32(CloudValueHash(*value.GetMemberAt(i)), index, static_cast<size_t>(length));
        }
        return hash;
    }
    if (value.IsObject()) {
        uint32_t hash = 0;
        IValue& readable = const_cast<IValue&>(value);  // GetMemberName only reads
        for (uint32_t i = 0; i < value.GetMemberCount(); ++i) {
            const std::string key = TextForm(*readable.GetMemberName(i));
            hash ^= CloudCrc32(CloudValueHash(*value.GetMemberAt(i)), key.data(), key.size());
        }
        return hash;
    }
    const std::string text = value.IsNull() ? std::string() : TextForm(value);
    return CloudCrc32(0, text.data(), text.size());
}

bool RunCloudOps(const IValue& list, IValue& data, IValue& meta, uint32_t nowSeconds) {
    if (list.IsNull()) {
        return true;
    }
    if (!list.IsArray()) {
        return false;
    }
    Interpreter interpreter(list, data, meta, nowSeconds);
    return interpreter.Run();
}

bool CompactCloudOps(IValue& list) {
    if (!list.IsArray()) {
        return list.IsNull();
    }
    const uint32_t count = list.GetMemberCount();
    OpNode root;
    std::vector<OpNode*> stack;
    OpNode* node = &root;
    uint32_t position = 0;
    while (position < count) {
        const IValue* first = list.GetMemberAt(position);
        if (!first->IsNumber()) {
            return false;
        }
        uint32_t codePosition = position;
        if (first->AsInt(0) < 0) {
            ++codePosition;
            if (codePosition >= count || !list.GetMemberAt(codePosition)->IsNumber()) {
                return false;
            }
        }
        const int code = list.GetMemberAt(codePosition)->AsInt(-1);
        const int length = code == 46 ? 0 : OperationLength(code);
        if (length == 0 || codePosition + static_cast<uint32_t>(length) > count) {
            return false;
        }
        const IValue* key = length >= 2 ? list.GetMemberAt(codePosition + 1) : nullptr;
        if (code == 0) {
            if (!IsKey(key) || IsReservedKey(*key) || stack.size() >= kMaxDepth) {
                return false;
            }
            stack.push_back(node);
            node = node->Child(*key);
        } else if (code == 1 || code == 2) {
            const uint32_t levels = code == 1 ? 1 : list.GetMemberAt(codePosition + 1)->AsUInt(0);
            if ((code == 2 && !key->IsNumber()) || levels > stack.size()) {
                return false;
            }
            for (uint32_t i = 0; i < levels; ++i) {
                node = stack.back();
                stack.pop_back();
            }
        } else {
            if (!IsKey(key) || (code == 60 && !IsKey(list.GetMemberAt(codePosition + 2)))) {
                return false;
            }
            RefPtr<IValue> record = RefPtr<IValue>::Adopt(CreateValue());
            for (uint32_t i = position; i < codePosition + static_cast<uint32_t>(length); ++i) {
                record->AppendValue(*list.GetMemberAt(i));
            }
            if (node->last) {
                const IValue& recorded = *node->last;
                const uint32_t recordedCode = CodeIndex(recorded);
                // Only operations on the same member fold: two additions to
                // different members must stay two.
                const bool fold = IsFoldable(code) && recorded.GetMemberAt(0)->AsInt(-1) == code &&
                                  SameKey(*recorded.GetMemberAt(recordedCode + 1), *key) &&
                                  recorded.GetMemberAt(recordedCode + 1)->IsString() == key->IsString();
                if (fold) {
                    Fold(code, recorded, *record);
                } else {
                    node->final.push_back(node->last);
                }
            }
            node->last = record;
        }
        position = codePosition + static_cast<uint32_t>(length);
    }
    RefPtr<IValue> out = RefPtr<IValue>::Adopt(CreateValue());
    out->Parse("[]");
    size_t depth = 0;
    Emit(root, 0, &depth, *out);
    // Back at the root, so that a later list can follow this one.
    AppendPops(depth, *out);
    list.SetAsValue(*out);
    return true;
}

}  // namespace Kiplink
