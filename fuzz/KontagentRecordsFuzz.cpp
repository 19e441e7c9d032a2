// "kontagent-precompiled.dat" on arbitrary bytes: the records come out null
// or an array (null whenever a fault is named, in one line); every record is
// read back into a report and its query built as the sender would; records
// written back read again with no fault and the same count.
#include "providers/Provider_Kontagent/KontagentFiles.h"
#include "providers/Provider_Kontagent/KontagentReport.h"

#include <json/json.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    Json::Value records;
    std::string fault;
    ParseKontagentRecords(reinterpret_cast<const char*>(data), size, records, fault);
    if ((!records.isNull() && !records.isArray()) || (!fault.empty() && !records.isNull()) ||
        fault.find('\n') != std::string::npos) {
        std::abort();
    }
    if (records.isNull()) {
        return 0;
    }
    for (const Json::Value& record : records) {
        KontagentReport report;
        if (!ReadKontagentRecord(record, report)) {
            continue;
        }
        const Json::Value* extra = FindKontagentMember(record, "AdditionalData");
        const std::string query = BuildKontagentQuery(
            report, "1", WithKontagentIdentity(extra != nullptr ? *extra : Json::Value(), "abc", "12345"));
        if (query.compare(0, 3, GetKontagentReportLayout(report.kind).queryKind) != 0) {
            std::abort();
        }
    }
    const std::string written = SerialiseKontagentRecords(records);
    Json::Value again;
    std::string secondFault;
    ParseKontagentRecords(written.data(), written.size(), again, secondFault);
    if (!secondFault.empty() || again.size() != records.size()) {
        std::abort();
    }
    return 0;
}
