// League replies into engine records.
#include "providers/Provider_Kiplink/KiplinkLeagueReaders.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace Varnok {

namespace {

std::string Text(const Kiplink::IValue& object, const char* name) {
    const Kiplink::IValue& member = object[name];
    return member.IsString() ? member.AsString("") : "";
}

float Number(const Kiplink::IValue& object, const char* name) {
    const Kiplink::IValue& member = object[name];
    return member.IsNumber() ? member.AsFloat(0.0f) : 0.0f;
}

uint64_t Time(const Kiplink::IValue& object, const char* name) {
    const Kiplink::IValue& member = object[name];
    return member.IsNumber() ? static_cast<uint64_t>(member.AsUInt(0)) : 0;
}

std::string KeyOf(const Kiplink::IValue& member) {
    Kiplink::RefPtr<Kiplink::IValue> key = Kiplink::RefPtr<Kiplink::IValue>::Adopt(member.GetKey());
    return key && key->IsString() ? key->AsString("") : "";
}

template <typename Each>
void ForEachObjectMember(const Kiplink::IValue& value, Each each) {
    if (!value.IsObject()) {
        return;
    }
    for (uint32_t i = 0; i < value.GetMemberCount(); ++i) {
        const Kiplink::IValue* member = value.GetMemberAt(i);
        if (member != nullptr && member->IsObject()) {
            each(KeyOf(*member), *member);
        }
    }
}

}  // namespace

std::vector<LeagueUser> ReadLeagueUsers(const Kiplink::IValue& value) {
    std::vector<LeagueUser> users;
    ForEachObjectMember(value, [&](const std::string& key, const Kiplink::IValue& entry) {
        LeagueUser user;
        user.id = key;
        user.displayName = Text(entry, "displayName");
        user.countryId = Text(entry, "countryId");
        user.userMetaData = Text(entry, "userMetaData");
        user.todayScoreMetaData = Text(entry, "todayScoreMetaData");
        user.yesterdayScoreMetaData = Text(entry, "yesterdayScoreMetaData");
        user.todayScore = Number(entry, "todayScore");
        user.yesterdayScore = Number(entry, "yesterdayScore");
        user.todayScoreTs = Time(entry, "todayScoreTs");
        user.yesterdayScoreTs = Time(entry, "yesterdayScoreTs");
        users.push_back(std::move(user));
    });
    return users;
}

std::vector<LeagueFeedUser> ReadLeagueFeed(const Kiplink::IValue& value) {
    std::vector<LeagueFeedUser> feed;
    ForEachObjectMember(value, [&](const std::string& key, const Kiplink::IValue& entry) {
        LeagueFeedUser user;
        user.displayName = Text(entry, "displayName");
        user.countryId = Text(entry, "countryId");
        user.leagueId = Text(entry, "leagueId");
        user.global = Text(entry, "type") == "global";
        const Kiplink::IValue& score = entry["score"];
        if (score.IsNumber()) {
            user.score = score.AsFloat(0.0f);
        } else if (score.IsString()) {
            user.score = std::strtof(score.AsString("0"), nullptr);
        }
        user.timeStamp = std::strtoull(key.c_str(), nullptr, 10);
        feed.push_back(std::move(user));
    });
    return feed;
}

std::vector<std::pair<std::string, float>> ReadTopLeagues(const Kiplink::IValue& value) {
    std::map<std::string, float> byName;
    ForEachObjectMember(value, [&](const std::string& key, const Kiplink::IValue& entry) {
        const Kiplink::IValue& score = entry["score"];
        if (score.IsNumber()) {
            byName[key] = score.AsFloat(0.0f);
        }
    });
    std::vector<std::pair<std::string, float>> top(byName.begin(), byName.end());
    std::stable_sort(top.begin(), top.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return top;
}

std::string LeagueErrorText(const Kiplink::IValue& error) {
    if (!error.IsArray() || error.GetMemberCount() < 2) {
        return "";
    }
    const Kiplink::IValue& text = error[1];
    return text.IsString() ? text.AsString("") : "";
}

}  // namespace Varnok
