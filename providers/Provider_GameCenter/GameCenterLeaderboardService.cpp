#include "providers/Provider_GameCenter/GameCenterLeaderboardService.h"

#include "engine/core/Log.h"
#include "engine/services/ServiceManagerConfig.h"
#include "providers/Provider_GameCenter/GameCentre.h"
#include "providers/Provider_GameCenter/Provider_GameCenter.h"

#include <tinyxml.h>

#include <cstring>

namespace Varnok {

namespace {
const char* Text(const char* value) {
    return value != nullptr ? value : "";
}
}  // namespace

ILeaderboardView* GameCenterLeaderboard::GetView(LeaderboardGlobality globality, LeaderboardTimeSpan timeSpan) {
    if (timeSpan == LeaderboardTimeSpan::LastWeek || timeSpan == LeaderboardTimeSpan::Yesterday) {
        return nullptr;
    }
    for (const auto& view : m_views) {
        if (view->GetGlobality() == globality && view->GetTimeSpan() == timeSpan) {
            return view.get();
        }
    }
    m_views.push_back(std::make_unique<GameCenterLeaderboardView>(m_provider, this, globality, timeSpan));
    return m_views.back().get();
}

void GameCenterLeaderboard::SubmitScore(const User* /*user*/, int64_t score, LeaderboardResultDelegate onDone) {
    GameCentre* gameCentre = GameCentre::Get();
    if (gameCentre == nullptr) {
        onDone(LeaderboardErrorType::ServiceError);
        return;
    }
    GameCentre::Score report;
    report.category = m_providerId;
    report.value = score;
    const std::string category = m_providerId;
    // The delegate is a copy; the service may be gone by the time the
    // network answers, and the delegate's target is the caller's concern.
    gameCentre->ReportScore(report, [onDone, score, category](const GameCentre::Error* error) {
        if (error != nullptr) {
            Log("There was an error submitting the score: %s", error->description.c_str());
            onDone(LeaderboardErrorType::ServiceError);
            return;
        }
        Log("Successfully submitted the score '%lld' to '%s'", static_cast<long long>(score), category.c_str());
        onDone(LeaderboardErrorType::Success);
    });
}

bool GameCenterLeaderboardService::Initialise() {
    ServiceManagerConfig* config = m_provider != nullptr ? m_provider->GetConfig() : nullptr;
    const TiXmlElement* element =
        config != nullptr
            ? config->GetProviderConfigElement(Provider_GameCenter::GetProviderName().c_str(), "ILeaderboardService")
            : nullptr;
    if (element == nullptr) {
        return false;
    }
    m_leaderboards.clear();
    for (const TiXmlElement* child = element->FirstChildElement("leaderboard"); child != nullptr;
         child = child->NextSiblingElement("leaderboard")) {
        m_leaderboards.push_back(std::make_unique<GameCenterLeaderboard>(
            m_provider, Text(child->Attribute("id")), Text(child->Attribute("providerID")),
            Text(child->Attribute("displayText"))));
    }
    return true;
}

const AsciiString& GameCenterLeaderboardService::GetLogData() const {
    static const AsciiString s_logData;
    return s_logData;
}

const AsciiString& GameCenterLeaderboardService::GetProviderName() const {
    return Provider_GameCenter::GetProviderName();
}

void GameCenterLeaderboardService::SetLeaderboardScore(const User* user, const char* leaderboardId, int64_t score,
                                                       LeaderboardResultDelegate onDone) {
    bool submitted = false;
    for (const auto& leaderboard : m_leaderboards) {
        if (leaderboardId != nullptr && std::strcmp(leaderboard->GetId(), leaderboardId) == 0) {
            leaderboard->SubmitScore(user, score, onDone);
            submitted = true;
        }
    }
    if (!submitted) {
        onDone(LeaderboardErrorType::UnknownLeaderboard);
    }
}

ILeaderboard* GameCenterLeaderboardService::GetLeaderboard(const char* leaderboardId) {
    if (leaderboardId == nullptr) {
        return nullptr;
    }
    for (const auto& leaderboard : m_leaderboards) {
        if (std::strcmp(leaderboard->GetId(), leaderboardId) == 0) {
            return leaderboard.get();
        }
    }
    return nullptr;
}

}  // namespace Varnok
