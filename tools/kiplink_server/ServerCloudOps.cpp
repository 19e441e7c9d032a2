#include "tools/kiplink_server/ServerCloudOps.h"

#include <zlib.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Varnok {
namespace Tools {

namespace {

constexpr size_t kMaxDepth = 512;
constexpr Json::ArrayIndex kMaxGrowth = 4096;

uint32_t Crc(uint32_t start, const std::string& bytes) {
    return static_cast<uint32_t>(
        crc32(start, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// jsoncpp throws on a conversion out of range; numbers from clients may be
// anything, so every read of one clamps instead.
int64_t Int64Of(const Json::Value& value) {
    if (value.isInt64()) {
        return value.asInt64();
    }
    if (value.isUInt64()) {
        return INT64_MAX;
    }
    if (value.isDouble()) {
        const double d = value.asDouble();
        return d != d ? 0 : d <= -9.2e18 ? INT64_MIN : d >= 9.2e18 ? INT64_MAX : static_cast<int64_t>(d);
    }
    return value.isBool() && value.asBool() ? 1 : 0;
}

int IntOf(const Json::Value& value) {
    const int64_t wide = Int64Of(value);
    return wide < INT32_MIN ? INT32_MIN : wide > INT32_MAX ? INT32_MAX : static_cast<int>(wide);
}

std::string ScalarText(const Json::Value& value) {
    char text[64];
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool() ? "true" : "false";
        case Json::intValue:
        case Json::uintValue:
            if (value.isInt()) {
                std::snprintf(text, sizeof text, "%d", value.asInt());
            } else if (value.isUInt()) {
                std::snprintf(text, sizeof text, "%u", value.asUInt());
            } else {
                std::snprintf(text, sizeof text, "%lld", static_cast<long long>(Int64Of(value)));
            }
            return text;
        case Json::realValue:
            std::snprintf(text, sizeof text, "%f", static_cast<double>(static_cast<float>(value.asDouble())));
            return text;
        case Json::stringValue:
            return value.asString();
        default:
            return "";
    }
}

bool IsKey(const Json::Value& key) { return key.isString() || key.isNumeric(); }

uint32_t U32(const Json::Value& value) {
    if (value.isBool()) {
        return value.asBool() ? 1u : 0u;
    }
    if (value.isDouble() && !value.isIntegral()) {
        const double d = value.asDouble();
        return d <= 0 ? 0u : d >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(d);
    }
    if (value.isNumeric()) {
        return value.isUInt64() && !value.isInt64() ? static_cast<uint32_t>(value.asUInt64())
                                                    : static_cast<uint32_t>(Int64Of(value));
    }
    return 0;
}

bool IsReal(const Json::Value& value) { return value.isDouble() && !value.isIntegral(); }

// The member under key, created as null; null when the key names nothing safely.
Json::Value* Member(Json::Value& cursor, const Json::Value& key) {
    if (key.isString()) {
        if (!cursor.isNull() && !cursor.isObject()) {
            return nullptr;
        }
        return &cursor[key.asString()];
    }
    const int64_t index = Int64Of(key);
    if (cursor.isObject()) {
        return &cursor[std::to_string(index)];
    }
    if (!cursor.isNull() && !cursor.isArray()) {
        return nullptr;
    }
    const Json::ArrayIndex size = cursor.isArray() ? cursor.size() : 0;
    if (index < 0 || index > static_cast<int64_t>(size) + kMaxGrowth) {
        return nullptr;
    }
    return &cursor[static_cast<Json::ArrayIndex>(index)];
}

const Json::Value* Find(const Json::Value& cursor, const Json::Value& key) {
    if (key.isString()) {
        return cursor.isObject() && cursor.isMember(key.asString()) ? &cursor[key.asString()] : nullptr;
    }
    if (cursor.isObject()) {
        const std::string name = std::to_string(Int64Of(key));
        return cursor.isMember(name) ? &cursor[name] : nullptr;
    }
    const int64_t index = Int64Of(key);
    return cursor.isArray() && index >= 0 && index < static_cast<int64_t>(cursor.size())
               ? &cursor[static_cast<Json::ArrayIndex>(index)]
               : nullptr;
}

void Arith(Json::Value& target, const Json::Value& operand, char op) {
    if (IsReal(target) || IsReal(operand)) {
        const float a = target.isNumeric() ? static_cast<float>(target.asDouble()) : 0.0f;
        const float b = operand.isNumeric() ? static_cast<float>(operand.asDouble()) : 0.0f;
        target = static_cast<double>(op == '+' ? a + b : op == '*' ? a * b : std::fmod(a, b));
        return;
    }
    const uint32_t a = U32(target);
    const uint32_t b = U32(operand);
    const bool isUnsigned = (target.isUInt() && !target.isInt()) || (operand.isUInt() && !operand.isInt());
    if (isUnsigned) {
        target = static_cast<Json::UInt>(op == '+' ? a + b : op == '*' ? a * b : (b == 0 ? a : a % b));
    } else {
        const int32_t sa = static_cast<int32_t>(a), sb = static_cast<int32_t>(b);
        int32_t result = op == '+' ? static_cast<int32_t>(a + b)
                         : op == '*' ? static_cast<int32_t>(a * b)
                         : (sb == 0 ? sa : sb == -1 ? 0 : sa % sb);
        target = result;
    }
}

bool Less(const Json::Value& a, const Json::Value& b) {
    if (IsReal(a) || IsReal(b)) {
        return a.asDouble() < b.asDouble();
    }
    return Int64Of(a) < Int64Of(b);
}

class Runner {
public:
    Runner(const Json::Value& list, Json::Value& data, Json::Value& meta, uint32_t now)
        : m_list(list), m_data(&data), m_meta(&meta), m_now(now) {}

    bool Run() {
        Json::ArrayIndex at = 0;
        while (at < m_list.size()) {
            if (!m_list[at].isNumeric()) {
                return false;
            }
            bool merge = false;
            if (IntOf(m_list[at]) < 0) {
                merge = IntOf(m_list[at]) == -1;
                ++at;
                if (at >= m_list.size() || !m_list[at].isNumeric()) {
                    return false;
                }
            }
            const int code = IntOf(m_list[at]);
            const int length = Length(code);
            if (length == 0 || at + static_cast<Json::ArrayIndex>(length) > m_list.size() ||
                !Step(at, code, merge)) {
                return false;
            }
            at += static_cast<Json::ArrayIndex>(length);
        }
        return true;
    }

private:
    static int Length(int code) {
        switch (code) {
            case 1: return 1;
            case 0: case 2: case 25: case 42: case 43: case 50: return 2;
            case 11: case 12: case 20: case 21: case 22: case 23: case 24: case 26: case 27:
            case 30: case 40: case 41: case 44: case 45: case 51: case 52: case 53: case 60: return 3;
            case 10: case 13: case 46: return 4;
            default: return 0;
        }
    }

    bool Up(uint32_t levels) {
        if (levels > m_stack.size()) {
            return false;
        }
        for (uint32_t i = 0; i < levels; ++i) {
            m_data = m_stack.back().first;
            m_meta = m_stack.back().second;
            m_stack.pop_back();
        }
        return true;
    }

    bool Stamp(const Json::Value& key) {
        Json::Value* stamp = Member(*m_meta, key);
        if (stamp == nullptr) {
            return false;
        }
        *stamp = static_cast<Json::UInt>(m_now);
        return true;
    }

    uint32_t StampOf(const Json::Value& key) const {
        const Json::Value* stamp = Find(*m_meta, key);
        return stamp != nullptr ? U32(*stamp) : 0;
    }

    void Put(Json::Value& target, const Json::Value& value, bool merge) {
        if (!merge) {
            target = value;
            return;
        }
        if (value.isObject()) {
            for (const std::string& name : value.getMemberNames()) {
                if (Json::Value* into = Member(*m_data, Json::Value(name))) {
                    *into = value[name];
                }
            }
        } else if (value.isArray()) {
            for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
                if (Json::Value* into = Member(*m_data, Json::Value(i))) {
                    *into = value[i];
                }
            }
        }
    }

    bool Step(Json::ArrayIndex at, int code, bool merge) {
        if (code == 1) {
            return Up(1);
        }
        if (code == 2) {
            return m_list[at + 1].isNumeric() && Up(U32(m_list[at + 1]));
        }
        const Json::Value& key = m_list[at + 1];
        if (!IsKey(key)) {
            return false;
        }
        if (code == 0) {
            if (m_stack.size() >= kMaxDepth) {
                return false;
            }
            Json::Value* data = Member(*m_data, key);
            Json::Value* meta = data != nullptr ? Member(*m_meta, key) : nullptr;
            if (meta == nullptr) {
                return false;
            }
            m_stack.emplace_back(m_data, m_meta);
            m_data = data;
            m_meta = meta;
            return true;
        }
        if (code == 60) {
            const Json::Value& to = m_list[at + 2];
            if (!IsKey(to)) {
                return false;
            }
            if (key == to) {
                return true;
            }
            Json::Value* from = Member(*m_data, key);
            if (from == nullptr) {
                return false;
            }
            const Json::Value moved = *from;
            Json::Value* into = Member(*m_data, to);
            if (into == nullptr) {
                return false;
            }
            *into = moved;
            if (m_data->isObject()) {
                m_data->removeMember(key.isString() ? key.asString() : std::to_string(Int64Of(key)));
            }
            return true;
        }
        Json::Value* target = Member(*m_data, key);
        if (target == nullptr) {
            return false;
        }
        const Json::Value operand = Length(code) >= 3 ? m_list[at + 2] : Json::Value();
        switch (code) {
            case 10: {
                const Json::Value& crc = m_list[at + 3];
                if (!crc.isNumeric() || (!target->isNull() && ServerCloudHash(*target) != U32(crc))) {
                    return true;
                }
                Put(*target, operand, merge);
                return Stamp(key);
            }
            case 11:
            case 12: {
                const Json::Value* compared = merge ? Find(operand, key) : &operand;
                if (target->isNumeric()) {
                    const bool better = compared != nullptr && compared->isNumeric() &&
                                        (code == 11 ? Less(*compared, *target) : Less(*target, *compared));
                    if (!better) {
                        return true;
                    }
                }
                Put(*target, operand, merge);
                return Stamp(key);
            }
            case 13: {
                const Json::Value& time = m_list[at + 3];
                const uint32_t when = time.isNumeric() ? U32(time) : m_now;
                if (!target->isNull() && when < StampOf(key)) {
                    return true;
                }
                Put(*target, operand, merge);
                return Stamp(key);
            }
            case 20: Arith(*target, operand, '+'); return Stamp(key);
            case 21: Arith(*target, operand, '*'); return Stamp(key);
            case 22: *target = static_cast<Json::UInt>(U32(*target) & U32(operand)); return Stamp(key);
            case 23: *target = static_cast<Json::UInt>(U32(*target) | U32(operand)); return Stamp(key);
            case 24: *target = static_cast<Json::UInt>(U32(*target) ^ U32(operand)); return Stamp(key);
            case 25: *target = static_cast<Json::UInt>(~U32(*target)); return Stamp(key);
            case 26:
                if (!operand.isNumeric() || operand.asDouble() == 0.0) {
                    return false;  // a zero divisor fails the run
                }
                Arith(*target, operand, '%');
                return Stamp(key);
            case 27: {
                const int64_t elapsed = static_cast<int64_t>(m_now) - static_cast<int64_t>(StampOf(key));
                if (elapsed <= 0) {
                    return true;
                }
                Json::Value gain = operand;
                Arith(gain, Json::Value(static_cast<Json::UInt>(elapsed)), '*');
                Arith(*target, gain, '+');
                return Stamp(key);
            }
            case 30: {
                const std::string joined = (target->isString() ? target->asString() : "") + ScalarText(operand);
                *target = joined;
                return Stamp(key);
            }
            case 40:
            case 41: {
                Json::Value list(Json::arrayValue);
                if (code == 40) {
                    list.append(operand);
                }
                for (Json::ArrayIndex i = 0; target->isArray() && i < target->size(); ++i) {
                    list.append((*target)[i]);
                }
                if (code == 41) {
                    list.append(operand);
                }
                *target = list;
                return Stamp(key);
            }
            case 42:
            case 43: {
                if (target->isArray() && target->size() > 0) {
                    Json::Value removed;
                    target->removeIndex(code == 42 ? 0 : target->size() - 1, &removed);
                }
                return Stamp(key);
            }
            case 44:
            case 45: {
                if (!operand.isNumeric() || !target->isArray()) {
                    return true;
                }
                Json::Value kept(Json::arrayValue);
                bool removed = false;
                for (Json::ArrayIndex i = 0; i < target->size(); ++i) {
                    if (ServerCloudHash((*target)[i]) == U32(operand) && !(code == 45 && removed)) {
                        removed = true;
                    } else {
                        kept.append((*target)[i]);
                    }
                }
                *target = kept;
                return code == 44 || removed ? Stamp(key) : true;
            }
            case 46: {
                const Json::Value& maximum = m_list[at + 3];
                if (!maximum.isNumeric()) {
                    return true;
                }
                Json::Value list(Json::arrayValue);
                for (Json::ArrayIndex i = 0; target->isArray() && i < target->size(); ++i) {
                    list.append((*target)[i]);
                }
                list.append(operand);
                const uint32_t keep = U32(maximum);
                Json::Value capped(Json::arrayValue);
                for (Json::ArrayIndex i = list.size() > keep ? list.size() - keep : 0; i < list.size(); ++i) {
                    capped.append(list[i]);
                }
                *target = capped;
                return Stamp(key);
            }
            case 50:
                *target = !(target->isBool() ? target->asBool() : U32(*target) != 0);
                return Stamp(key);
            case 51:
            case 52:
            case 53: {
                const bool flag = operand.isBool() ? operand.asBool() : U32(operand) != 0;
                if (target->isBool()) {
                    const bool now = target->asBool();
                    if (code == 51) {
                        *target = now && flag;
                    } else if (code == 52) {
                        *target = now || flag;
                    } else {
                        *target = now != flag ? 1 : 0;
                    }
                    return true;
                }
                if (code == 51) {
                    *target = false;
                } else if (code == 52) {
                    *target = operand;
                } else {
                    *target = flag ? 1 : 0;
                }
                return Stamp(key);
            }
            default:
                return false;
        }
    }

    const Json::Value& m_list;
    Json::Value* m_data;
    Json::Value* m_meta;
    uint32_t m_now;
    std::vector<std::pair<Json::Value*, Json::Value*>> m_stack;
};

}  // namespace

uint32_t ServerCloudHash(const Json::Value& value) {
    uint32_t hash = 0;
    if (value.isArray()) {
        for (Json::ArrayIndex i = 0; i < value.size(); ++i) {
            hash ^= Crc(ServerCloudHash(value[i]), std::to_string(i));
        }
        return hash;
    }
    if (value.isObject()) {
        for (const std::string& name : value.getMemberNames()) {
            hash ^= Crc(ServerCloudHash(value[name]), name);
        }
        return hash;
    }
    return Crc(0, ScalarText(value));
}

bool RunServerCloudOps(const Json::Value& list, Json::Value& data, Json::Value& meta, uint32_t now) {
    if (list.isNull()) {
        return true;
    }
    if (!list.isArray()) {
        return false;
    }
    Runner runner(list, data, meta, now);
    return runner.Run();
}

void UpdateServerCloudCopy(Json::Value& copy, const std::string& ownerId, const std::string& objectId,
                           const Json::Value& list, uint32_t now) {
    if (!copy.isObject()) {
        copy = Json::Value(Json::objectValue);
    }
    Json::Value changed = copy;
    if (RunServerCloudOps(list, changed["data"], changed["meta"], now)) {
        copy = changed;
    }
    copy["ownerId"] = ownerId;
    copy["cloudObjectId"] = objectId;
    copy["crc"] = static_cast<Json::UInt>(ServerCloudHash(copy["data"]));
}

}  // namespace Tools
}  // namespace Varnok
