// The five Kontagent reports: their fields, the query text that carries one
// to the server, and the JSON record that keeps one until the player has an
// online-service id.
#pragma once

#include <json/json.h>

#include <array>
#include <string>

namespace Varnok {

enum class KontagentReportKind : int {
    ApplicationAdded = 0,  // "apa"
    PageRequest,           // "pgr"
    UserInformation,       // "cpu"
    CustomEvent,           // "evt"
    Revenue,               // "mtu"
};
constexpr int kKontagentReportKindCount = 5;
constexpr int kKontagentMaxFields = 10;

// One report's texts in its kind's field order; null: not given. The texts
// are borrowed for the call that takes the report.
struct KontagentReport {
    KontagentReportKind kind = KontagentReportKind::CustomEvent;
    std::array<const char*, kKontagentMaxFields> texts{};
};

// How a kind is named on the wire and in a record; the fields line up with
// KontagentReport::texts.
struct KontagentReportLayout {
    const char* queryKind;
    const char* recordType;
    int fieldCount;
    const char* queryNames[kKontagentMaxFields];
    const char* recordNames[kKontagentMaxFields];
};
const KontagentReportLayout& GetKontagentReportLayout(KontagentReportKind kind);

// The callers' view of each kind; every text may be null.
struct KontagentApplicationAdded {
    const char* uniqueTrackingTag = nullptr;
    const char* shortTrackingTag = nullptr;
    KontagentReport ToReport() const;
};
struct KontagentPageRequest {
    const char* pageAddress = nullptr;
    const char* ipAddress = nullptr;
    KontagentReport ToReport() const;
};
struct KontagentUserInformation {
    const char* birthYear = nullptr;
    const char* gender = nullptr;
    const char* country = nullptr;
    const char* state = nullptr;
    const char* friendCount = nullptr;
    const char* os = nullptr;
    const char* manufacturer = nullptr;
    const char* model = nullptr;
    const char* carrierName = nullptr;
    const char* productVersion = nullptr;
    KontagentReport ToReport() const;
};
struct KontagentCustomEvent {
    const char* eventName = nullptr;
    const char* value = nullptr;
    const char* level = nullptr;
    const char* subType1 = nullptr;
    const char* subType2 = nullptr;
    const char* subType3 = nullptr;
    KontagentReport ToReport() const;
};
struct KontagentRevenue {
    const char* value = nullptr;
    const char* transactionType = nullptr;
    const char* subType1 = nullptr;
    const char* subType2 = nullptr;
    const char* subType3 = nullptr;
    KontagentReport ToReport() const;
};

// jsoncpp's compact text of the value, ending in a line feed.
std::string WriteCompactJson(const Json::Value& value);

// The query text: the kind, "/", "?", then "s" (the user key), the report's
// fields and "data" (Base64 of the compact JSON, line feed included; only
// for data other than null), each as name=value URL-encoded (space as '+',
// '&' and '=' kept), absent and empty values skipped, joined by '&'.
std::string BuildKontagentQuery(const KontagentReport& report, const std::string& userKey,
                                const Json::Value& data);

// {"Type": ..., the given fields (an empty text stays an empty string),
//  "AdditionalData": data}
Json::Value MakeKontagentRecord(const KontagentReport& report, const Json::Value& data);

// Reads a stored record back: false for anything but an object whose string
// "Type" names a kind (case-blind). Fields that are not strings count as
// absent; the report's texts point into the record, which must outlive it.
bool ReadKontagentRecord(const Json::Value& record, KontagentReport& outReport);

// The member of an object, or null (also for a value that is not an object).
const Json::Value* FindKontagentMember(const Json::Value& object, const char* name);

// What a message made for an online-service player carries: a copy of the
// data when it is an object (else an empty object) with "d" the device id
// and "b" the online-service id.
Json::Value WithKontagentIdentity(const Json::Value& data, const std::string& deviceId,
                                  const std::string& onlineId);

}  // namespace Varnok
