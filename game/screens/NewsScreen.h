// The news screen's shared state: which item of the player's news feed is
// chosen, its link and link text with the markup stripped, and the
// promotion it selects. The main menu reads it for its badge, the challenge
// upsell for its promotion; the screen itself shows the chosen item.
#pragma once

#include <string>

namespace Varnok {

class INews;
class ServiceManager;

class NewsScreen {
public:
    // Store pages of the two promoted products; a news link equal to one of
    // them (in any letter case) selects that promotion.
    static constexpr const char* kPromotionLink1 = "https://store.tamberlo.example/apps/zoomvane#fullscreen";
    static constexpr const char* kPromotionLink2 = "https://store.tamberlo.example/apps/tamberlo#fullscreen";

    struct State {
        int chosenIndex = 0;
        INews* chosenItem = nullptr;  // the news service's, not owned
        std::string link;
        std::string linkText;
        std::string strippedText;
        bool linkComplete = false;  // a whole link was read: later ones leave it alone
    };

    static State& GetState();
    // Back to the start-up state (tests, and a new program run).
    static void ResetState();

    // Picks the item, then selects the promotion for it.
    static void RefreshNews(ServiceManager& services);
    static void RefreshNews();
    static bool HasUnreadNews();
    static void MarkChosenItemRead(ServiceManager& services);
    static void MarkChosenItemRead();

    // The first unread item, or when all are read the newest (time stamp 0
    // never); no items leave the choice as it was.
    static void PickItem(ServiceManager& services);
    // The text without its link markup; fills the state's link and link text
    // from the first complete link (or, when none completes, from what the
    // first unclosed one held).
    static std::string StripMarkup(const char* text);
    // The offset from position p of the last character of one complete
    // "[url=...]...[/url]" markup, or 0.
    static size_t ScanMarkup(const char* text, size_t p, size_t length, std::string& url, std::string& words);
    // Strips the item's text and sets the game record's promotion selector
    // when its link is one of the promotion links.
    static void SelectPromotion(INews* item);
};

}  // namespace Varnok
