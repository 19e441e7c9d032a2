-- The protocol server's runner of cloud-object operation lists and its value
-- hash, run by the system's Lua 5.2 and written apart from the client's
-- routines, so that a fault of one cannot hide behind the same fault of the
-- other.
--
-- Every JSON value is a box, a table whose fields say what it holds:
--   {t = "null"}                    {t = "bool", v = true}
--   {t = "string", v = "text"}      {t = "real", d = 1.5}
--   {t = "int" | "uint", hi = high word, lo = low word, d = nearest double,
--    text = decimal text as the hash reads it}
--   {t = "array", n = count, [1] .. [n] = boxes}
--   {t = "object", m = {name = box}}
-- Lua's numbers are doubles, so 64-bit integers travel as two 32-bit words
-- (the bit pattern; "int" reads it signed, "uint" unsigned). An edit of a
-- value rewrites its box in place, so a box works as a pointer into the tree.

local bit32, math, string, table, pairs, ipairs = bit32, math, string, table, pairs, ipairs
local floor, ceil, huge = math.floor, math.ceil, math.huge

local kTwo16 = 65536
local kTwo31 = 2147483648
local kTwo32 = 4294967296
local kTwo63 = 9223372036854775808
local kTwo64 = 18446744073709551616
local kFloatMax = 3.4028234663852886e38
local kMaxDepth = 512     -- nested descents a list may hold open
local kMaxGrowth = 4096   -- elements one write may add past an array's end

-- Boxes ---------------------------------------------------------------------

local function MakeNull() return {t = "null"} end
local function MakeBool(v) return {t = "bool", v = v} end
local function MakeString(v) return {t = "string", v = v} end
local function MakeReal(d) return {t = "real", d = d} end

local function MakeInt(i)
    i = i + 0  -- no negative zero
    return {t = "int", hi = i < 0 and 0xFFFFFFFF or 0, lo = i % kTwo32, d = i, text = string.format("%d", i)}
end

local function MakeUInt(u)
    return {t = "uint", hi = 0, lo = u, d = u, text = string.format("%d", u)}
end

local function Copy(box)
    local t = box.t
    if t == "array" then
        local copy = {t = "array", n = box.n}
        for i = 1, box.n do
            copy[i] = Copy(box[i])
        end
        return copy
    end
    if t == "object" then
        local members = {}
        for name, member in pairs(box.m) do
            members[name] = Copy(member)
        end
        return {t = "object", m = members}
    end
    local copy = {}
    for field, v in pairs(box) do
        copy[field] = v
    end
    return copy
end

-- Makes target hold value, which the caller hands over.
local function Assign(target, value)
    for field in pairs(target) do
        target[field] = nil
    end
    for field, v in pairs(value) do
        target[field] = v
    end
end

local function Equal(a, b)
    if a.t ~= b.t then
        return false
    end
    local t = a.t
    if t == "string" or t == "bool" then
        return a.v == b.v
    end
    if t == "int" or t == "uint" then
        return a.hi == b.hi and a.lo == b.lo
    end
    if t == "real" then
        return a.d == b.d
    end
    return t == "null"
end

-- Numbers -------------------------------------------------------------------

local function IsNumeric(box)
    local t = box.t
    return t == "int" or t == "uint" or t == "real"
end

-- A real that is a whole number an unsigned or signed 64-bit integer holds.
local function IsWholeReal(d)
    return d >= -kTwo63 and d < kTwo64 and d == floor(d)
end

-- A real no 64-bit integer holds: arithmetic on it stays in floats.
local function IsReal(box)
    return box.t == "real" and not IsWholeReal(box.d)
end

-- The value as a signed 64-bit integer, clamped, as (signed high word, low
-- word); booleans are 0 and 1, anything else 0.
local function Wide(box)
    local t = box.t
    if t == "int" then
        return box.hi >= kTwo31 and box.hi - kTwo32 or box.hi, box.lo
    end
    if t == "uint" then
        if box.hi >= kTwo31 then
            return kTwo31 - 1, kTwo32 - 1
        end
        return box.hi, box.lo
    end
    if t == "real" then
        local d = box.d
        if d ~= d then
            return 0, 0
        end
        if d >= kTwo63 then
            return kTwo31 - 1, kTwo32 - 1
        end
        if d < -kTwo63 then
            return -kTwo31, 0
        end
        local whole = (d < 0 and ceil(d) or floor(d)) + 0
        local hi = floor(whole / kTwo32)
        return hi, whole - hi * kTwo32
    end
    if t == "bool" then
        return 0, box.v and 1 or 0
    end
    return 0, 0
end

-- The nearest double of a wide value: exact within 2^53, which covers every
-- index and 32-bit clamp that reads it.
local function Approx(hi, lo) return hi * kTwo32 + lo end

local function IntOf(box)
    local v = Approx(Wide(box))
    if v < -kTwo31 then
        return -kTwo31
    end
    if v > kTwo31 - 1 then
        return kTwo31 - 1
    end
    return v
end

local function WideLess(a, b)
    local ah, al = Wide(a)
    local bh, bl = Wide(b)
    return ah < bh or (ah == bh and al < bl)
end

-- The value as an unsigned 32-bit word: integers keep their low word, reals
-- out of range clamp, booleans are 0 and 1.
local function U32(box)
    local t = box.t
    if t == "int" or t == "uint" then
        return box.lo
    end
    if t == "real" then
        local d = box.d
        if IsWholeReal(d) then
            return d % kTwo32
        end
        if d ~= d or d <= 0 then
            return 0
        end
        if d >= 4294967295 then
            return 0xFFFFFFFF
        end
        return floor(d)
    end
    if t == "bool" then
        return box.v and 1 or 0
    end
    return 0
end

local function Signed(word) return word >= kTwo31 and word - kTwo32 or word end

-- Whole and in [-2^31, 2^31), or in [0, 2^32).
local function IsInt(box)
    local t = box.t
    if t == "int" then
        return (box.hi == 0 and box.lo < kTwo31) or (box.hi == 0xFFFFFFFF and box.lo >= kTwo31)
    end
    if t == "uint" then
        return box.hi == 0 and box.lo < kTwo31
    end
    return t == "real" and box.d >= -kTwo31 and box.d <= kTwo31 - 1 and box.d == floor(box.d)
end

local function IsUInt(box)
    local t = box.t
    if t == "int" or t == "uint" then
        return box.hi == 0
    end
    return t == "real" and box.d >= 0 and box.d <= 4294967295 and box.d == floor(box.d)
end

local function IsUnsigned(box) return IsUInt(box) and not IsInt(box) end

-- The nearest single-precision float, ties to even: reals are kept in
-- floats, as the client keeps them.
local function ToFloat(d)
    if d ~= d or d == 0 or d == huge or d == -huge then
        return d
    end
    local sign = 1
    if d < 0 then
        sign, d = -1, -d
    end
    local mantissa, exponent = math.frexp(d)
    local bits = 24
    if exponent < -125 then
        bits = 24 - (-125 - exponent)  -- a subnormal float holds fewer
    end
    local scaled = math.ldexp(mantissa, bits)
    local rounded = floor(scaled)
    local rest = scaled - rounded
    if rest > 0.5 or (rest == 0.5 and rounded % 2 == 1) then
        rounded = rounded + 1
    end
    local result = math.ldexp(rounded, exponent - bits)
    if result > kFloatMax then
        result = huge
    end
    return sign * result
end

-- (a * b) mod 2^32 for two words, exact in doubles.
local function MulU32(a, b)
    local high = floor(a / kTwo16)
    local low = a - high * kTwo16
    return (low * b + ((high * b) % kTwo16) * kTwo16) % kTwo32
end

-- op is "+", "*" or "%"; the result is a new box.
local function Arith(target, operand, op)
    if IsReal(target) or IsReal(operand) then
        local a = IsNumeric(target) and ToFloat(target.d) or 0
        local b = IsNumeric(operand) and ToFloat(operand.d) or 0
        local r
        if op == "+" then
            r = a + b
        elseif op == "*" then
            r = a * b
        else
            r = math.fmod(a, b)
        end
        return MakeReal(ToFloat(r))
    end
    local a, b = U32(target), U32(operand)
    if IsUnsigned(target) or IsUnsigned(operand) then
        if op == "+" then
            return MakeUInt((a + b) % kTwo32)
        elseif op == "*" then
            return MakeUInt(MulU32(a, b))
        end
        return MakeUInt(b == 0 and a or a % b)
    end
    if op == "+" then
        return MakeInt(Signed((a + b) % kTwo32))
    elseif op == "*" then
        return MakeInt(Signed(MulU32(a, b)))
    end
    local sa, sb = Signed(a), Signed(b)
    if sb == 0 then
        return MakeInt(sa)
    elseif sb == -1 then
        return MakeInt(0)
    end
    return MakeInt(math.fmod(sa, sb))  -- truncating, as integer division does
end

local function Less(a, b)
    if IsReal(a) or IsReal(b) then
        return a.d < b.d
    end
    return WideLess(a, b)
end

-- Texts and the hash --------------------------------------------------------

local function ScalarText(box)
    local t = box.t
    if t == "bool" then
        return box.v and "true" or "false"
    end
    if t == "int" or t == "uint" then
        return box.text
    end
    if t == "real" then
        return string.format("%f", ToFloat(box.d))
    end
    if t == "string" then
        return box.v
    end
    return ""
end

-- The member name a numeric key reads in an object: its clamped 64-bit value.
local function KeyName(key)
    if key.t == "string" then
        return key.v
    end
    if key.t ~= "real" then
        return key.text
    end
    local hi, lo = Wide(key)
    if hi == kTwo31 - 1 and lo == kTwo32 - 1 then
        return "9223372036854775807"
    end
    return string.format("%.0f", Approx(hi, lo))
end

local kCrcTable = {}
for i = 0, 255 do
    local c = i
    for _ = 1, 8 do
        if bit32.band(c, 1) == 1 then
            c = bit32.bxor(0xEDB88320, bit32.rshift(c, 1))
        else
            c = bit32.rshift(c, 1)
        end
    end
    kCrcTable[i] = c
end

-- zlib's CRC-32 of bytes continued from start.
local function Crc(start, bytes)
    local band, bxor, rshift, byte = bit32.band, bit32.bxor, bit32.rshift, string.byte
    local c = bit32.bnot(start)
    for i = 1, #bytes do
        c = bxor(kCrcTable[band(bxor(c, byte(bytes, i)), 0xFF)], rshift(c, 8))
    end
    return bit32.bnot(c)
end

-- Scalars hash their text; arrays XOR their elements' hashes continued with
-- the decimal index, objects with the member name.
local function Hash(box)
    local t = box.t
    if t == "array" then
        local hash = 0
        for i = 1, box.n do
            hash = bit32.bxor(hash, Crc(Hash(box[i]), string.format("%d", i - 1)))
        end
        return hash
    end
    if t == "object" then
        local hash = 0
        for name, member in pairs(box.m) do
            hash = bit32.bxor(hash, Crc(Hash(member), name))
        end
        return hash
    end
    return Crc(0, ScalarText(box))
end

-- Members -------------------------------------------------------------------

local function IsKey(key) return key.t == "string" or IsNumeric(key) end

-- The member of cursor under key, created as null (a null cursor becomes an
-- object or an array); nil when the key cannot name one safely.
local function Member(cursor, key)
    if key.t == "string" or cursor.t == "object" then
        if cursor.t == "null" then
            Assign(cursor, {t = "object", m = {}})
        elseif cursor.t ~= "object" then
            return nil
        end
        local name = KeyName(key)
        local member = cursor.m[name]
        if member == nil then
            member = MakeNull()
            cursor.m[name] = member
        end
        return member
    end
    if cursor.t ~= "null" and cursor.t ~= "array" then
        return nil
    end
    local index = Approx(Wide(key))
    local size = cursor.t == "array" and cursor.n or 0
    if index < 0 or index > size + kMaxGrowth then
        return nil
    end
    if cursor.t == "null" then
        Assign(cursor, {t = "array", n = 0})
    end
    for i = cursor.n + 1, index + 1 do
        cursor[i] = MakeNull()
    end
    if index + 1 > cursor.n then
        cursor.n = index + 1
    end
    return cursor[index + 1]
end

local function Find(cursor, key)
    if key.t == "string" or cursor.t == "object" then
        return cursor.t == "object" and cursor.m[KeyName(key)] or nil
    end
    if cursor.t ~= "array" then
        return nil
    end
    local index = Approx(Wide(key))
    if index >= 0 and index < cursor.n then
        return cursor[index + 1]
    end
    return nil
end

-- The runner ----------------------------------------------------------------

local kLength = {
    [1] = 1,
    [0] = 2, [2] = 2, [25] = 2, [42] = 2, [43] = 2, [50] = 2,
    [11] = 3, [12] = 3, [20] = 3, [21] = 3, [22] = 3, [23] = 3, [24] = 3, [26] = 3, [27] = 3,
    [30] = 3, [40] = 3, [41] = 3, [44] = 3, [45] = 3, [51] = 3, [52] = 3, [53] = 3, [60] = 3,
    [10] = 4, [13] = 4, [46] = 4,
}

local function ArrayOf(items)
    local array = {t = "array", n = #items}
    for i, item in ipairs(items) do
        array[i] = item
    end
    return array
end

local function Run(list, data, meta, now)
    local stack = {}  -- {data, meta} of the levels above the cursor

    local function At(i) return list[i + 1] end

    local function Up(levels)
        if levels > #stack then
            return false
        end
        for _ = 1, levels do
            local level = table.remove(stack)
            data, meta = level[1], level[2]
        end
        return true
    end

    local function Stamp(key)
        local stamp = Member(meta, key)
        if stamp == nil then
            return false
        end
        Assign(stamp, MakeUInt(now))
        return true
    end

    local function StampOf(key)
        local stamp = Find(meta, key)
        return stamp ~= nil and U32(stamp) or 0
    end

    -- A merge writes value's members into the cursor's container, not target.
    local function Put(target, value, merge)
        if not merge then
            Assign(target, Copy(value))
        elseif value.t == "object" then
            for name, member in pairs(value.m) do
                local into = Member(data, MakeString(name))
                if into ~= nil then
                    Assign(into, Copy(member))
                end
            end
        elseif value.t == "array" then
            for i = 1, value.n do
                local into = Member(data, MakeUInt(i - 1))
                if into ~= nil then
                    Assign(into, Copy(value[i]))
                end
            end
        end
    end

    local function Step(at, code, merge)
        if code == 1 then
            return Up(1)
        end
        if code == 2 then
            return IsNumeric(At(at + 1)) and Up(U32(At(at + 1)))
        end
        local key = At(at + 1)
        if not IsKey(key) then
            return false
        end
        if code == 0 then
            if #stack >= kMaxDepth then
                return false
            end
            local child = Member(data, key)
            local childMeta = child ~= nil and Member(meta, key) or nil
            if childMeta == nil then
                return false
            end
            stack[#stack + 1] = {data, meta}
            data, meta = child, childMeta
            return true
        end
        if code == 60 then
            local to = At(at + 2)
            if not IsKey(to) then
                return false
            end
            if Equal(key, to) then
                return true
            end
            local from = Member(data, key)
            if from == nil then
                return false
            end
            local moved = Copy(from)
            local into = Member(data, to)
            if into == nil then
                return false
            end
            Assign(into, moved)
            if data.t == "object" then
                data.m[KeyName(key)] = nil
            end
            return true
        end
        local target = Member(data, key)
        if target == nil then
            return false
        end
        local operand = kLength[code] >= 3 and At(at + 2) or MakeNull()
        if code == 10 then
            local crc = At(at + 3)
            if not IsNumeric(crc) or (target.t ~= "null" and Hash(target) ~= U32(crc)) then
                return true
            end
            Put(target, operand, merge)
            return Stamp(key)
        elseif code == 11 or code == 12 then
            local compared = operand
            if merge then
                compared = Find(operand, key)
            end
            if IsNumeric(target) then
                local better = compared ~= nil and IsNumeric(compared)
                if better then
                    if code == 11 then
                        better = Less(compared, target)
                    else
                        better = Less(target, compared)
                    end
                end
                if not better then
                    return true
                end
            end
            Put(target, operand, merge)
            return Stamp(key)
        elseif code == 13 then
            local time = At(at + 3)
            local when = IsNumeric(time) and U32(time) or now
            if target.t ~= "null" and when < StampOf(key) then
                return true
            end
            Put(target, operand, merge)
            return Stamp(key)
        elseif code == 20 then
            Assign(target, Arith(target, operand, "+"))
        elseif code == 21 then
            Assign(target, Arith(target, operand, "*"))
        elseif code == 22 then
            Assign(target, MakeUInt(bit32.band(U32(target), U32(operand))))
        elseif code == 23 then
            Assign(target, MakeUInt(bit32.bor(U32(target), U32(operand))))
        elseif code == 24 then
            Assign(target, MakeUInt(bit32.bxor(U32(target), U32(operand))))
        elseif code == 25 then
            Assign(target, MakeUInt(bit32.bnot(U32(target))))
        elseif code == 26 then
            if not IsNumeric(operand) or operand.d == 0 then
                return false  -- a zero divisor fails the run
            end
            Assign(target, Arith(target, operand, "%"))
        elseif code == 27 then
            local elapsed = now - StampOf(key)
            if elapsed <= 0 then
                return true
            end
            local gain = Arith(operand, MakeUInt(elapsed), "*")
            Assign(target, Arith(target, gain, "+"))
        elseif code == 30 then
            local joined = (target.t == "string" and target.v or "") .. ScalarText(operand)
            Assign(target, MakeString(joined))
        elseif code == 40 or code == 41 then
            local items = {}
            if code == 40 then
                items[1] = Copy(operand)
            end
            if target.t == "array" then
                for i = 1, target.n do
                    items[#items + 1] = target[i]
                end
            end
            if code == 41 then
                items[#items + 1] = Copy(operand)
            end
            Assign(target, ArrayOf(items))
        elseif code == 42 or code == 43 then
            if target.t == "array" and target.n > 0 then
                table.remove(target, code == 42 and 1 or target.n)
                target.n = target.n - 1
            end
        elseif code == 44 or code == 45 then
            if not IsNumeric(operand) or target.t ~= "array" then
                return true
            end
            local wanted = U32(operand)
            local kept = {}
            local removed = false
            for i = 1, target.n do
                if Hash(target[i]) == wanted and not (code == 45 and removed) then
                    removed = true
                else
                    kept[#kept + 1] = target[i]
                end
            end
            Assign(target, ArrayOf(kept))
            if code == 45 and not removed then
                return true
            end
        elseif code == 46 then
            local maximum = At(at + 3)
            if not IsNumeric(maximum) then
                return true
            end
            local items = {}
            if target.t == "array" then
                for i = 1, target.n do
                    items[#items + 1] = target[i]
                end
            end
            items[#items + 1] = Copy(operand)
            local keep = U32(maximum)
            local capped = {}
            for i = (#items > keep and #items - keep or 0) + 1, #items do
                capped[#capped + 1] = items[i]
            end
            Assign(target, ArrayOf(capped))
        elseif code == 50 then
            local truth
            if target.t == "bool" then
                truth = target.v
            else
                truth = U32(target) ~= 0
            end
            Assign(target, MakeBool(not truth))
        elseif code == 51 or code == 52 or code == 53 then
            local flag
            if operand.t == "bool" then
                flag = operand.v
            else
                flag = U32(operand) ~= 0
            end
            if target.t == "bool" then
                local held = target.v
                if code == 51 then
                    Assign(target, MakeBool(held and flag))
                elseif code == 52 then
                    Assign(target, MakeBool(held or flag))
                else
                    Assign(target, MakeInt(held ~= flag and 1 or 0))
                end
                return true
            end
            if code == 51 then
                Assign(target, MakeBool(false))
            elseif code == 52 then
                Assign(target, Copy(operand))
            else
                Assign(target, MakeInt(flag and 1 or 0))
            end
        else
            return false
        end
        return Stamp(key)
    end

    local at, size = 0, list.n
    while at < size do
        if not IsNumeric(At(at)) then
            return false
        end
        local merge = false
        if IntOf(At(at)) < 0 then
            merge = IntOf(At(at)) == -1
            at = at + 1
            if at >= size or not IsNumeric(At(at)) then
                return false
            end
        end
        local code = IntOf(At(at))
        local length = kLength[code]
        if length == nil or at + length > size or not Step(at, code, merge) then
            return false
        end
        at = at + length
    end
    return true
end

return {
    -- Runs list (a box) over data and meta at time now, editing them in
    -- place; false on a fault, with the operations before it applied.
    run = function(list, data, meta, now)
        if list.t == "null" then
            return true
        end
        if list.t ~= "array" then
            return false
        end
        return Run(list, data, meta, now)
    end,
    hash = Hash,
}
