// Any text as a friends reply or cache, a friend-leaderboard reply or cache,
// and news board data, all into the players of one user.
#include "fuzz/KiplinkMemoryPlatform.h"
#include "kiplink/Source/FriendsImpl.h"
#include "kiplink/Source/Leaderboards.h"
#include "kiplink/Source/NewsImpl.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KiplinkFuzz::Quiet();
    Kiplink::RefPtr<KiplinkFuzz::MemoryPlatform> platform(new KiplinkFuzz::MemoryPlatform);
    auto root = Kiplink::RefPtr<Kiplink::KiplinkProviderImpl>::Adopt(KiplinkFuzz::MakeRoot(platform.Get()));
    {
        auto user = Kiplink::RefPtr<Kiplink::IUser>::Adopt(root->CreateUser());
        user->SetLoginResult("token", "me", false);
        Kiplink::IValue* value = Kiplink::CreateValue();
        value->Parse(std::string(reinterpret_cast<const char*>(data), size).c_str());
        Kiplink::IValue* none = Kiplink::CreateValue();

        auto provider = Kiplink::RefPtr<Kiplink::IFriendsProvider>::Adopt(root->GetFriendsProvider());
        auto friends = Kiplink::RefPtr<Kiplink::IFriends>::Adopt(provider->GetFriends(user.Get()));
        auto* impl = static_cast<Kiplink::FriendsImpl*>(friends.Get());
        impl->Rebuild(true, *value);
        impl->Rebuild(false, *value);
        for (int i = 0; i < friends->GetGlobalFriendCount(); ++i) {
            auto profile = Kiplink::RefPtr<Kiplink::IUserProfile>::Adopt(friends->GetGlobalFriend(i));
            profile->GetProviderId("facebook");
            profile->LoadPicture(false);
        }

        Kiplink::RefPtr<Kiplink::LeaderboardImpl> board(new Kiplink::LeaderboardImpl(root.Get(), "BOARD"));
        auto weekly = Kiplink::RefPtr<Kiplink::IUserLeaderboard>::Adopt(
            board->GetUserLeaderboard(user.Get(), "weekly", false, false));
        Kiplink::RequestContext context("leaderboards", "getFriendLeaderboard");
        static_cast<Kiplink::UserLeaderboardImpl*>(weekly.Get())->OnReply(context, *none, *value);
        static_cast<Kiplink::UserLeaderboardImpl*>(weekly.Get())->OnReply(context, *value, *none);
        auto again = Kiplink::RefPtr<Kiplink::IUserLeaderboard>::Adopt(
            Kiplink::RefPtr<Kiplink::LeaderboardImpl>(new Kiplink::LeaderboardImpl(root.Get(), "BOARD"))
                ->GetUserLeaderboard(user.Get(), "weekly", false, false));  // from the cache just written

        auto news = Kiplink::RefPtr<Kiplink::INewsProvider>::Adopt(root->GetNewsProvider());
        auto newsBoard = Kiplink::RefPtr<Kiplink::INewsBoard>::Adopt(news->GetNewsBoard(user.Get()));
        static_cast<Kiplink::NewsBoardImpl*>(newsBoard.Get())->BuildItems(*value);
        for (int i = 0; i < newsBoard->GetNewsCount(); ++i) {
            auto item = Kiplink::RefPtr<Kiplink::INewsItem>::Adopt(newsBoard->GetNews(i));
            item->MarkRead();
            item->GetLinkAt(1.0f, 1.0f);
        }
        none->Release();
        value->Release();
    }
    root.Reset();
    return 0;
}
