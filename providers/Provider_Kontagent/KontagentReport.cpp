#include "providers/Provider_Kontagent/KontagentReport.h"

#include "engine/core/Base64.h"
#include "engine/core/HashName.h"
#include "engine/core/UrlEncode.h"

#include <cstring>
#include <vector>

namespace Varnok {
namespace {

const KontagentReportLayout kLayouts[kKontagentReportKindCount] = {
    {"apa", "ApplicationAdded", 2, {"u", "su"}, {"UniqueTrackingTag", "ShortTrackingTag"}},
    {"pgr", "PageRequestAndUserLocation", 2, {"u", "ip"}, {"PageAddress", "IPAddress"}},
    {"cpu",
     "UserInformation",
     10,
     {"b", "g", "lc", "ls", "f", "os", "m", "d", "c", "v_maj"},
     {"BirthYear", "Gender", "Country", "State", "FriendCount", "OS", "Manufacturer", "Model", "CarrierName",
      "ProductVersion"}},
    {"evt",
     "CustomEvent",
     6,
     {"n", "v", "l", "st1", "st2", "st3"},
     {"EventName", "Value", "Level", "Subtype1", "Subtype2", "Subtype3"}},
    {"mtu",
     "RevenueTracking",
     5,
     {"v", "tu", "st1", "st2", "st3"},
     {"Value", "TransactionType", "Subtype1", "Subtype2", "Subtype3"}},
};

KontagentReport Report(KontagentReportKind kind, std::initializer_list<const char*> texts) {
    KontagentReport report;
    report.kind = kind;
    size_t i = 0;
    for (const char* text : texts) {
        report.texts[i++] = text;
    }
    return report;
}

void AppendParameter(std::string& query, const char* name, const char* value) {
    if (value == nullptr || value[0] == '\0') {
        return;
    }
    std::string encoded;
    if (query.back() != '?') {
        query += '&';
    }
    query += UrlEncode(name, encoded, false, true);
    query += '=';
    query += UrlEncode(value, encoded, false, true);
}

uint32_t HashOf(const char* text) {
    return HashName(text, static_cast<int>(std::strlen(text)));
}

}  // namespace

const KontagentReportLayout& GetKontagentReportLayout(KontagentReportKind kind) {
    return kLayouts[static_cast<int>(kind)];
}

KontagentReport KontagentApplicationAdded::ToReport() const {
    return Report(KontagentReportKind::ApplicationAdded, {uniqueTrackingTag, shortTrackingTag});
}

KontagentReport KontagentPageRequest::ToReport() const {
    return Report(KontagentReportKind::PageRequest, {pageAddress, ipAddress});
}

KontagentReport KontagentUserInformation::ToReport() const {
    return Report(KontagentReportKind::UserInformation, {birthYear, gender, country, state, friendCount, os,
                                                          manufacturer, model, carrierName, productVersion});
}

KontagentReport KontagentCustomEvent::ToReport() const {
    return Report(KontagentReportKind::CustomEvent, {eventName, value, level, subType1, subType2, subType3});
}

KontagentReport KontagentRevenue::ToReport() const {
    return Report(KontagentReportKind::Revenue, {value, transactionType, subType1, subType2, subType3});
}

std::string WriteCompactJson(const Json::Value& value) {
    // The compact writer is what the wire and the records file expect: no
    // spaces, members in byte order of their keys, a final line feed.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::FastWriter writer;
    return writer.write(value);
#pragma GCC diagnostic pop
}

std::string BuildKontagentQuery(const KontagentReport& report, const std::string& userKey,
                                const Json::Value& data) {
    const KontagentReportLayout& layout = GetKontagentReportLayout(report.kind);
    std::string query = layout.queryKind;
    if (query.back() != '/') {
        query += '/';
    }
    query += '?';
    AppendParameter(query, "s", userKey.c_str());
    for (int i = 0; i < layout.fieldCount; ++i) {
        AppendParameter(query, layout.queryNames[i], report.texts[static_cast<size_t>(i)]);
    }
    if (!data.isNull()) {
        const std::string text = WriteCompactJson(data);
        const int size = static_cast<int>(text.size());
        std::vector<char> encoded(static_cast<size_t>(Base64::EncodedLength(size)));
        if (Base64::Encode(text.data(), size, encoded.data(), static_cast<int>(encoded.size()))) {
            AppendParameter(query, "data", encoded.data());
        }
    }
    return query;
}

Json::Value MakeKontagentRecord(const KontagentReport& report, const Json::Value& data) {
    const KontagentReportLayout& layout = GetKontagentReportLayout(report.kind);
    Json::Value record(Json::objectValue);
    record["Type"] = layout.recordType;
    for (int i = 0; i < layout.fieldCount; ++i) {
        if (const char* text = report.texts[static_cast<size_t>(i)]) {
            record[layout.recordNames[i]] = text;
        }
    }
    record["AdditionalData"] = data;
    return record;
}

bool ReadKontagentRecord(const Json::Value& record, KontagentReport& outReport) {
    if (!record.isObject()) {
        return false;
    }
    const Json::Value* type = FindKontagentMember(record, "Type");
    if (type == nullptr || !type->isString()) {
        return false;
    }
    const uint32_t typeHash = HashOf(type->asCString());
    for (int kind = 0; kind < kKontagentReportKindCount; ++kind) {
        const KontagentReportLayout& layout = kLayouts[kind];
        if (HashOf(layout.recordType) != typeHash) {
            continue;
        }
        outReport = KontagentReport();
        outReport.kind = static_cast<KontagentReportKind>(kind);
        for (int i = 0; i < layout.fieldCount; ++i) {
            const Json::Value* field = FindKontagentMember(record, layout.recordNames[i]);
            if (field != nullptr && field->isString()) {
                outReport.texts[static_cast<size_t>(i)] = field->asCString();
            }
        }
        return true;
    }
    return false;
}

const Json::Value* FindKontagentMember(const Json::Value& object, const char* name) {
    return object.isObject() ? object.find(name, name + std::strlen(name)) : nullptr;
}

Json::Value WithKontagentIdentity(const Json::Value& data, const std::string& deviceId,
                                  const std::string& onlineId) {
    Json::Value message = data.isObject() ? data : Json::Value(Json::objectValue);
    message["d"] = deviceId;
    message["b"] = onlineId;
    return message;
}

}  // namespace Varnok
