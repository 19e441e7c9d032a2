// kiplink_server: the protocol server as a program, on 127.0.0.1 until
// interrupted. Prints its base URL first, so scripts can read the port.
#include "tools/kiplink_server/CloudObjectService.h"
#include "tools/kiplink_server/GameUpdateService.h"
#include "tools/kiplink_server/FriendsService.h"
#include "tools/kiplink_server/LeagueService.h"
#include "tools/kiplink_server/MatchService.h"
#include "tools/kiplink_server/NewsService.h"
#include "tools/kiplink_server/SocialTokens.h"
#include "tools/kiplink_server/UserService.h"
#include "tools/kiplink_server/KiplinkServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <pthread.h>
#include <signal.h>

using namespace Varnok::Tools;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: kiplink_server [--port N] [--base /kiplink/] [--static DIR]\n"
                 "                      [--game-update N] [--plain-json] [--social-tokens FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    KiplinkServerConfig config;
    int gameUpdate = 0;
    std::string socialTokenFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--port" && hasValue) {
            config.port = static_cast<uint16_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (arg == "--base" && hasValue) {
            config.basePath = argv[++i];
        } else if (arg == "--static" && hasValue) {
            config.staticRoot = argv[++i];
        } else if (arg == "--game-update" && hasValue) {
            gameUpdate = std::atoi(argv[++i]);
        } else if (arg == "--social-tokens" && hasValue) {
            socialTokenFile = argv[++i];
        } else if (arg == "--plain-json") {
            config.plainJsonReplies = true;
        } else {
            return Usage();
        }
    }
    KiplinkServer server(config);
    GameUpdateService game;
    game.SetResult(gameUpdate);
    game.Install(server);
    UserService users;
    users.Install(server);
    SocialTokens socialTokens;
    if (!socialTokenFile.empty()) {
        socialTokens.LoadFile(socialTokenFile);
        users.SetSocialTokens(&socialTokens);
    }
    LeagueService leagues(users);
    leagues.Install(server);
    FriendsService friends(users);
    friends.Install(server);
    NewsService news(users);
    news.Install(server);
    MatchService matches;
    matches.Install(server);
    CloudObjectService cloud(users);
    cloud.Install(server);
    // Blocked before the server's threads start, so they inherit the mask
    // and only sigwait below takes the signal.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    if (!server.Start()) {
        return 1;
    }
    std::printf("%s\n", server.BaseUrl().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    return 0;
}
