// The news screen's state and its markup reader.
#include "game/screens/NewsScreen.h"

#include "engine/services/INewsService.h"
#include "engine/services/ServiceManager.h"
#include "game/rules/GameRecord.h"

#include <cctype>
#include <cstring>
#include <strings.h>

namespace Varnok {

namespace {

constexpr char kOpenTag[] = "[url=";
constexpr char kCloseTag[] = "[/url]";
constexpr size_t kOpenLength = sizeof(kOpenTag) - 1;
constexpr size_t kCloseLength = sizeof(kCloseTag) - 1;

bool SameLetter(char c, char tag) {
    return c == tag || c == static_cast<char>(std::toupper(static_cast<unsigned char>(tag)));
}

INewsService* FirstNewsService(ServiceManager& services) {
    return services.GetService<INewsService>();
}

}  // namespace

NewsScreen::State& NewsScreen::GetState() {
    static State s_state;
    return s_state;
}

void NewsScreen::ResetState() {
    GetState() = State{};
}

size_t NewsScreen::ScanMarkup(const char* text, size_t p, size_t length, std::string& url, std::string& words) {
    enum { kOpening, kUrl, kWords, kClosing } phase = kOpening;
    size_t matched = 0;
    for (size_t offset = 0; p + offset < length; ++offset) {
        const char c = text[p + offset];
        switch (phase) {
            case kOpening:
                if (!SameLetter(c, kOpenTag[matched])) {
                    return 0;
                }
                if (++matched == kOpenLength) {
                    phase = kUrl;
                }
                break;
            case kUrl:
                if (c == ']') {
                    phase = kWords;
                } else {
                    url.push_back(c);
                }
                break;
            case kWords:
                if (c == '[') {
                    phase = kClosing;
                    matched = 1;
                } else {
                    words.push_back(c);
                }
                break;
            case kClosing:
                // Anything that is not the tag's next letter is passed over.
                if (SameLetter(c, kCloseTag[matched]) && ++matched == kCloseLength) {
                    return offset;
                }
                break;
        }
    }
    return 0;
}

std::string NewsScreen::StripMarkup(const char* text) {
    State& state = GetState();
    state.link.clear();
    state.linkText.clear();
    state.linkComplete = false;
    bool anyPartial = false;
    std::string result;
    if (text == nullptr) {
        return result;
    }
    const size_t length = std::strlen(text);
    result.reserve(length);
    size_t p = 0;
    while (p < length) {
        if (text[p] != '[') {
            result.push_back(text[p]);
            ++p;
            continue;
        }
        std::string url;
        std::string words;
        const size_t extent = ScanMarkup(text, p, length, url, words);
        if (extent > 0) {
            // Only the first whole link names the link: several no longer
            // run together into one address.
            if (!state.linkComplete) {
                state.link = url;
                state.linkText = words;
                state.linkComplete = true;
            }
            p += extent + 1;
        } else {
            // An unclosed link still fills the link and its text, unless a
            // whole one has done so already.
            if (!state.linkComplete && !anyPartial && (!url.empty() || !words.empty())) {
                state.link = url;
                state.linkText = words;
                anyPartial = true;
            }
            ++p;
        }
    }
    return result;
}

void NewsScreen::SelectPromotion(INews* item) {
    if (item == nullptr) {
        return;
    }
    State& state = GetState();
    state.strippedText = StripMarkup(item->GetText());
    GameRecord& game = GetGameRecord();
    if (strcasecmp(state.link.c_str(), kPromotionLink1) == 0) {
        game.promoSelector = 1;
    } else if (strcasecmp(state.link.c_str(), kPromotionLink2) == 0) {
        game.promoSelector = 2;
    }
}

void NewsScreen::PickItem(ServiceManager& services) {
    INewsService* news = FirstNewsService(services);
    if (news == nullptr) {
        return;
    }
    User* user = services.GetCurrentUser();
    const int count = news->GetNewsCount(user);
    if (count <= 0) {
        return;
    }
    State& state = GetState();
    int newest = -1;
    uint64_t newestTime = 0;
    for (int i = 0; i < count; ++i) {
        INews* item = news->GetNews(user, i);
        if (item == nullptr) {
            continue;
        }
        if (!item->IsRead()) {
            state.chosenIndex = i;
            state.chosenItem = item;
            return;
        }
        if (item->GetTimeStamp() > newestTime) {
            newestTime = item->GetTimeStamp();
            newest = i;
        }
    }
    if (newest >= 0) {
        state.chosenIndex = newest;
        state.chosenItem = news->GetNews(user, newest);
    }
}

void NewsScreen::RefreshNews(ServiceManager& services) {
    PickItem(services);
    SelectPromotion(GetState().chosenItem);
}

void NewsScreen::RefreshNews() {
    RefreshNews(ServiceManager::Get());
}

bool NewsScreen::HasUnreadNews() {
    const State& state = GetState();
    return state.chosenItem != nullptr && !state.chosenItem->IsRead();
}

void NewsScreen::MarkChosenItemRead(ServiceManager& services) {
    State& state = GetState();
    if (state.chosenItem == nullptr || state.chosenItem->IsRead()) {
        return;
    }
    state.chosenItem->MarkRead();
    state.chosenItem = nullptr;
    PickItem(services);
}

void NewsScreen::MarkChosenItemRead() {
    MarkChosenItemRead(ServiceManager::Get());
}

}  // namespace Varnok
