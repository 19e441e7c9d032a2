// The edit operations of a cloud object, one row each: operation name, the
// online library's operation, the edit mode and the operand kind. Both the
// engine's ICloudObject and the online provider's adapter expand this one
// list, so the two can never drift apart.
//
// Operand kinds: StringWithLength (text, length), String, Int, Float, UInt,
// Bool, Value (a value in two forms, handle and reference), Members (a value
// whose members are set one by one, in the same two forms), Unary (none), and
// Capped<kind> (the operand followed by an int maximum element count).
#pragma once

#define VARNOK_CLOUD_SET_FAMILY(X, Family, Mode)                     \
    X(Family##StringWithLength, SetStringWithLength, Mode, StringWithLength) \
    X(Family##String, SetString, Mode, String)                       \
    X(Family##Int, SetInt, Mode, Int)                                \
    X(Family##Float, SetFloat, Mode, Float)                          \
    X(Family##UInt, SetUInt, Mode, UInt)                             \
    X(Family##Bool, SetBool, Mode, Bool)                             \
    X(Family##Value, Set, Mode, Value)                               \
    X(Family##Members, SetMembers, Mode, Members)

#define VARNOK_CLOUD_BOUND_FAMILY(X, Family, Mode) \
    X(Family##Int, SetInt, Mode, Int)              \
    X(Family##Float, SetFloat, Mode, Float)        \
    X(Family##UInt, SetUInt, Mode, UInt)           \
    X(Family##Members, SetMembers, Mode, Members)

#define VARNOK_CLOUD_ARITHMETIC_FAMILY(X, Family, Mode) \
    X(Family##Int, ModifyInt, Mode, Int)                \
    X(Family##Float, ModifyFloat, Mode, Float)          \
    X(Family##UInt, ModifyUInt, Mode, UInt)

#define VARNOK_CLOUD_ELEMENT_FAMILY(X, Family, Mode) \
    X(Family##String, ModifyString, Mode, String)    \
    X(Family##Int, ModifyInt, Mode, Int)             \
    X(Family##Float, ModifyFloat, Mode, Float)       \
    X(Family##UInt, ModifyUInt, Mode, UInt)          \
    X(Family##Bool, ModifyBool, Mode, Bool)          \
    X(Family##Value, Modify, Mode, Value)

#define VARNOK_CLOUD_EDITS(X)                               \
    VARNOK_CLOUD_SET_FAMILY(X, SetIfUnchanged, 0)           \
    VARNOK_CLOUD_BOUND_FAMILY(X, SetIfLower, 1)             \
    VARNOK_CLOUD_BOUND_FAMILY(X, SetIfHigher, 2)            \
    VARNOK_CLOUD_SET_FAMILY(X, SetIfNewer, 3)               \
    VARNOK_CLOUD_ARITHMETIC_FAMILY(X, Add, 0)               \
    VARNOK_CLOUD_ARITHMETIC_FAMILY(X, Multiply, 1)          \
    VARNOK_CLOUD_ARITHMETIC_FAMILY(X, Modulo, 6)            \
    VARNOK_CLOUD_ARITHMETIC_FAMILY(X, Accrue, 7)            \
    X(AndUInt, ModifyUInt, 2, UInt)                         \
    X(OrUInt, ModifyUInt, 3, UInt)                          \
    X(XorUInt, ModifyUInt, 4, UInt)                         \
    X(Not, ModifyUnary, 5, Unary)                           \
    X(AppendText, ModifyString, 8, String)                  \
    VARNOK_CLOUD_ELEMENT_FAMILY(X, InsertFront, 9)          \
    VARNOK_CLOUD_ELEMENT_FAMILY(X, Append, 10)              \
    X(AppendCappedString, AppendCapped, 15, CappedString)   \
    X(AppendCappedInt, AppendCapped, 15, CappedInt)         \
    X(AppendCappedFloat, AppendCapped, 15, CappedFloat)     \
    X(AppendCappedUInt, AppendCapped, 15, CappedUInt)       \
    X(AppendCappedBool, AppendCapped, 15, CappedBool)       \
    X(AppendCappedValue, AppendCapped, 15, CappedValue)     \
    X(RemoveFirst, ModifyUnary, 11, Unary)                  \
    X(RemoveLast, ModifyUnary, 12, Unary)                   \
    VARNOK_CLOUD_ELEMENT_FAMILY(X, RemoveAllEqual, 13)      \
    VARNOK_CLOUD_ELEMENT_FAMILY(X, RemoveFirstEqual, 14)    \
    X(Toggle, ModifyUnary, 16, Unary)                       \
    X(AndFlag, ModifyBool, 17, Bool)                        \
    X(OrFlag, ModifyBool, 18, Bool)                         \
    X(XorFlag, ModifyBool, 19, Bool)

// Each kind gives one or two C++ forms; the value kinds give two, the
// first with a handle, the second with a reference. S(Name, Op, Mode, Form)
// is the caller's expansion of one form.
#define VARNOK_CLOUD_FORMS(S, Name, Op, Mode, Kind) VARNOK_CLOUD_FORMS_##Kind(S, Name, Op, Mode)
#define VARNOK_CLOUD_FORMS_StringWithLength(S, Name, Op, Mode) S(Name, Op, Mode, StringWithLength)
#define VARNOK_CLOUD_FORMS_String(S, Name, Op, Mode) S(Name, Op, Mode, String)
#define VARNOK_CLOUD_FORMS_Int(S, Name, Op, Mode) S(Name, Op, Mode, Int)
#define VARNOK_CLOUD_FORMS_Float(S, Name, Op, Mode) S(Name, Op, Mode, Float)
#define VARNOK_CLOUD_FORMS_UInt(S, Name, Op, Mode) S(Name, Op, Mode, UInt)
#define VARNOK_CLOUD_FORMS_Bool(S, Name, Op, Mode) S(Name, Op, Mode, Bool)
#define VARNOK_CLOUD_FORMS_Unary(S, Name, Op, Mode) S(Name, Op, Mode, Unary)
#define VARNOK_CLOUD_FORMS_Value(S, Name, Op, Mode) S(Name, Op, Mode, ValueHandle) S(Name, Op, Mode, ValueRef)
#define VARNOK_CLOUD_FORMS_Members(S, Name, Op, Mode) S(Name, Op, Mode, ValueHandle) S(Name, Op, Mode, ValueRef)
#define VARNOK_CLOUD_FORMS_CappedString(S, Name, Op, Mode) S(Name, Op, Mode, CappedString)
#define VARNOK_CLOUD_FORMS_CappedInt(S, Name, Op, Mode) S(Name, Op, Mode, CappedInt)
#define VARNOK_CLOUD_FORMS_CappedFloat(S, Name, Op, Mode) S(Name, Op, Mode, CappedFloat)
#define VARNOK_CLOUD_FORMS_CappedUInt(S, Name, Op, Mode) S(Name, Op, Mode, CappedUInt)
#define VARNOK_CLOUD_FORMS_CappedBool(S, Name, Op, Mode) S(Name, Op, Mode, CappedBool)
#define VARNOK_CLOUD_FORMS_CappedValue(S, Name, Op, Mode) \
    S(Name, Op, Mode, CappedValueHandle) S(Name, Op, Mode, CappedValueRef)

// The operand parameters of each form, after the target.
#define VARNOK_CLOUD_PARAMS_StringWithLength , const char* operand, uint32_t length
#define VARNOK_CLOUD_PARAMS_String , const char* operand
#define VARNOK_CLOUD_PARAMS_Int , int32_t operand
#define VARNOK_CLOUD_PARAMS_Float , float operand
#define VARNOK_CLOUD_PARAMS_UInt , uint32_t operand
#define VARNOK_CLOUD_PARAMS_Bool , bool operand
#define VARNOK_CLOUD_PARAMS_Unary
#define VARNOK_CLOUD_PARAMS_ValueHandle , const ::Varnok::ServiceValueHandle& operand
#define VARNOK_CLOUD_PARAMS_ValueRef , const ::Varnok::ServiceValueRef& operand
#define VARNOK_CLOUD_PARAMS_CappedString , const char* operand, int32_t maximum
#define VARNOK_CLOUD_PARAMS_CappedInt , int32_t operand, int32_t maximum
#define VARNOK_CLOUD_PARAMS_CappedFloat , float operand, int32_t maximum
#define VARNOK_CLOUD_PARAMS_CappedUInt , uint32_t operand, int32_t maximum
#define VARNOK_CLOUD_PARAMS_CappedBool , bool operand, int32_t maximum
#define VARNOK_CLOUD_PARAMS_CappedValueHandle , const ::Varnok::ServiceValueHandle& operand, int32_t maximum
#define VARNOK_CLOUD_PARAMS_CappedValueRef , const ::Varnok::ServiceValueRef& operand, int32_t maximum
