#include "kiplink/Source/KiplinkProviderImpl.h"

#include "kiplink/Source/AuthService.h"
#include "kiplink/Source/BankProviderImpl.h"
#include "kiplink/Source/CloudObjectSync.h"
#include "kiplink/Source/InventoryProviderImpl.h"
#include "kiplink/Source/FriendsImpl.h"
#include "kiplink/Source/Leaderboards.h"
#include "kiplink/Source/LeagueProviderImpl.h"
#include "kiplink/Source/LobbyService.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/NewsImpl.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/SettingProviderImpl.h"
#include "kiplink/Source/StaticDataManager.h"
#include "kiplink/Source/TimeService.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"
#include "kiplink/Source/StoreProviderImpl.h"

#include <utility>

namespace Kiplink {

namespace {

std::string WithSlash(const char* root) {
    std::string text = root != nullptr ? root : "";
    if (!text.empty() && text.back() != '/') {
        text += '/';
    }
    return text;
}

// A local name that stays inside "ota/": no empty path, no leading "/", no
// ".." segment.
bool IsSafeLocalName(const std::string& name) {
    if (!name.empty() && name[0] == '/') {
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        if (name.compare(start, end - start, "..") == 0) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

constexpr size_t kMaxLocalNameBytes = 511;

}  // namespace

std::string RootDataPath(const char* saveRoot, const std::string& name) {
    return WithSlash(saveRoot) + name;
}

std::string GameDataPath(const char* saveRoot, const std::string& family, const std::string& name) {
    return WithSlash(saveRoot) + "Game/" + family + "/" + name;
}

std::string UserDataPath(const char* saveRoot, const std::string& family, const std::string& guid,
                         const std::string& name) {
    return GameDataPath(saveRoot, family, "Users/" + guid + "/" + name);
}

std::string ProfilePicturePath(const char* saveRoot, const std::string& kiplinkId) {
    return std::string(saveRoot != nullptr ? saveRoot : "") + "/ota/profilePics/" + kiplinkId;
}

// ---- Downloads ----

DownloadManager::DownloadManager(KiplinkProviderImpl* root) : m_root(root) {}

DownloadManager::~DownloadManager() {
    Save();
    for (auto& entry : m_queue) {
        if (entry.second.request != nullptr) {
            entry.second.request->Release();
        }
    }
}

std::string DownloadManager::FinishedPath(const std::string& url) const {
    auto found = m_finished.find(url);
    return found != m_finished.end() ? found->second : std::string();
}

void DownloadManager::Download(const std::string& url, const DownloadCompletion& completion,
                               const std::string& fileName, bool force) {
    if (!force) {
        auto done = m_finished.find(url);
        FileStatus status;
        if (done != m_finished.end() &&
            m_root->Platform()->GetFileStatus(done->second.c_str(), &status) == 0) {
            DownloadCompletion call(completion);
            call.Invoke(done->second.c_str());
            return;
        }
    }
    if (m_queue.count(url) != 0) {
        return;  // the first caller's completion stays
    }
    Record& record = m_queue[url];
    record.url = url;
    record.fileName = fileName;
    record.completion = completion;
}

void DownloadManager::Load() {
    RefPtr<EncryptedJsonFile> file(
        new EncryptedJsonFile(m_root->Platform(), m_root->GetRootDataPath("DownloadManager.json")));
    if (file->Load()) {
        const IValue& items = *static_cast<const IValue&>(file->GetData()).GetMemberByString("items");
        if (items.IsObject()) {
            for (uint32_t i = 0; i < items.GetMemberCount(); ++i) {
                const IValue* path = items.GetMemberAt(i);
                IValue* key = path->GetKey();
                if (key != nullptr) {
                    if (key->IsString() && path->IsString()) {
                        m_finished[key->AsString("")] = path->AsString("");
                    }
                    key->Release();
                }
            }
        }
    }
}

void DownloadManager::Save() {
    RefPtr<EncryptedJsonFile> file(
        new EncryptedJsonFile(m_root->Platform(), m_root->GetRootDataPath("DownloadManager.json")));
    IValue& items = file->GetData()["items"];
    items.Parse("{}");  // an empty object, not null, when nothing has finished
    for (const auto& entry : m_finished) {
        items[entry.first.c_str()].SetAsString(entry.second.c_str());
    }
    file->Save();
}

void DownloadManager::Update() {
    if (m_running != nullptr) {
        return;
    }
    const uint32_t now = LibraryWallSeconds();
    for (auto& entry : m_queue) {
        Record& record = entry.second;
        if (record.failures > 0) {
            if (record.failures >= kMaxFailures) {
                continue;
            }
            if (record.lastFailure <= now && now - record.lastFailure < kRetryDelaySeconds) {
                continue;
            }
        }
        IWebRequest* request = m_root->Platform()->CreateWebRequest(record.url.c_str(), kWebRequestGet);
        if (request == nullptr) {
            return;
        }
        record.request = request;  // the creation's reference
        m_running = &record;
        request->Send("", 0);
        m_root->Pending().Add(request, BoundRecordFunctor<DownloadDone, IWebRequest*>(
                                           DownloadDone{this}, &DownloadDone::Complete));
        return;
    }
}

void DownloadManager::FailForGood(const std::string& url, const char* why) {
    auto found = m_queue.find(url);
    if (found == m_queue.end()) {
        return;
    }
    Log("kiplink: download of %s abandoned: %s", url.c_str(), why);
    DownloadCompletion completion(found->second.completion);
    if (found->second.request != nullptr) {
        found->second.request->Release();
    }
    m_queue.erase(found);
    Save();
    completion.Invoke(nullptr);
}

void DownloadManager::OnFinished(IWebRequest* request) {
    Record* record = m_running;
    m_running = nullptr;
    if (record == nullptr || record->request != request) {
        return;
    }
    const std::string url = record->url;
    record->request = nullptr;
    if (request->GetStatus() != kWebRequestDone) {
        request->Release();
        ++record->failures;
        record->lastFailure = LibraryWallSeconds();
        if (record->failures >= kMaxFailures) {
            FailForGood(url, "failed twice");
        }
        return;
    }
    std::string name = record->fileName;
    if (name.empty()) {
        const size_t slash = url.rfind('/');
        name = slash == std::string::npos ? url : url.substr(slash + 1);
    }
    if (!IsSafeLocalName(name)) {
        request->Release();
        FailForGood(url, "refused local name");
        return;
    }
    std::string relative = "ota/" + name;
    if (relative.size() > kMaxLocalNameBytes) {
        relative.resize(kMaxLocalNameBytes);
    }
    const std::string localPath = m_root->GetRootDataPath(relative);
    IFile* file = m_root->Platform()->OpenFile(localPath.c_str(), kFileWriteFlags);
    bool written = false;
    if (file != nullptr && file->IsOpen()) {
        written = true;
        char chunk[4096];
        while (written && request->GetAvailable() > 0) {
            const int32_t count = request->Read(chunk, sizeof chunk);
            written = count > 0 && file->Write(static_cast<uint32_t>(count), chunk) == static_cast<uint32_t>(count);
        }
        file->Close();
    }
    if (file != nullptr) {
        file->Release();
    }
    request->Release();
    if (!written) {
        FailForGood(url, "could not write the file");
        return;
    }
    DownloadCompletion completion(record->completion);
    m_queue.erase(url);
    m_finished[url] = localPath;
    Save();
    completion.Invoke(localPath.c_str());
}

// ---- Root ----

IKiplinkProvider* CreateKiplinkProvider(const KiplinkSettings& settings, IPlatform* platform) {
    auto* provider = new KiplinkProviderImpl(settings, platform);
    provider->Reference();
    return provider;
}

KiplinkProviderImpl::KiplinkProviderImpl(const KiplinkSettings& settings, IPlatform* platform)
    : m_gameFamily(settings.gameFamily),
      m_baseUrl(settings.baseUrl),
      m_buildId(settings.buildId),
      m_platform(platform),
      m_deviceInfo(CreateValue()) {
    if (m_gameFamily.empty()) {
        return;
    }
    m_baseUrl = WithSlash(m_baseUrl.c_str());
    m_lua = new LuaVM();
    m_auth = new AuthService(this);
    m_leagues = new LeagueProviderImpl(this);
    m_time = new TimeService(this);
    m_pools = new PlayerPoolDirectory();
    m_friends = new FriendsProviderImpl(this);
    m_achievements = new AchievementProviderImpl(this);
    m_leaderboards = new LeaderboardProviderImpl(this);
    m_news = new NewsProviderImpl(this);
    m_cloud = new CloudProviderImpl(this);
    m_asyncGames = new AsyncGamesRoot(this);
    CreateStoreProviders();
    m_downloads = std::make_unique<DownloadManager>(this);
}

KiplinkProviderImpl::~KiplinkProviderImpl() {
    m_cloud.Reset();  // its objects save their files through the platform
    m_users.clear();  // they save their files through the platform
    m_staticData.reset();
    m_downloads.reset();
    ReleaseStoreProviders();
    if (m_lua) {
        // Objects handed to scripts (a user passed to an item's hook) hold
        // the state through their owner until their userdata is collected.
        m_lua->CollectGarbage();
    }
    m_deviceInfo->Release();
}

void KiplinkProviderImpl::AddCallbacks(IKiplinkProviderCallbacks* listener) { m_listeners.Add(listener); }

void KiplinkProviderImpl::RemoveCallbacks(IKiplinkProviderCallbacks* listener) {
    m_listeners.Remove(listener);
}

void KiplinkProviderImpl::Load() {
    if (m_loaded || !m_downloads || !m_platform) {
        return;
    }
    m_loaded = true;
    static const struct {
        int kind;
        const char* name;
    } kDeviceFields[] = {{kDeviceType, "devicetype"},          {kDeviceLanguage, "language"},
                         {kDeviceModel, "model"},              {kDeviceManufacturer, "manufacturer"},
                         {kDeviceLocaleCountry, "localecountry"}, {kDevicePlatformVersion, "platformVersion"}};
    for (const auto& field : kDeviceFields) {
        const char* text = m_platform->GetDeviceInfo(field.kind);
        if (text != nullptr && text[0] != '\0') {
            (*m_deviceInfo)[field.name].SetAsString(text);
        }
    }
    (*m_deviceInfo)["platform"].SetAsString("iOS");
    m_downloads->Load();
    m_auth->Load();
    m_leagues->Load();
    m_news->Load();
    m_time->Load();
    m_achievements->Load();
    m_leaderboards->Load();
    m_friends->Load();
    if (!m_userList) {
        m_userList = new EncryptedJsonFile(m_platform.Get(), GetRootDataPath("UserList.json"));
        m_userList->Load();
    }
    m_staticData = std::make_unique<StaticDataManager>(this);
    m_staticData->Load();
}

void KiplinkProviderImpl::Update() {
    m_pending.Poll();
    if (m_auth) {
        m_auth->Update();
        m_leagues->Update();
        m_news->Update();
        m_time->Update();
    }
    if (m_downloads) {
        m_downloads->Update();
    }
    // A user's update may sync, which never adds users: the walk is safe.
    for (auto& entry : m_users) {
        RefPtr<UserImpl> user = entry.second;
        user->Update();
    }
}

IPlatform* KiplinkProviderImpl::GetPlatform() {
    if (m_platform) {
        m_platform->Reference();
    }
    return m_platform.Get();
}

template <class Interface, class Held>
static Interface* Handed(const RefPtr<Held>& held) {
    if (held) {
        held->Reference();
    }
    return held.Get();
}

IAuthService* KiplinkProviderImpl::GetAuthService() { return Handed<IAuthService>(m_auth); }
ILeagueProvider* KiplinkProviderImpl::GetLeagueProvider() { return Handed<ILeagueProvider>(m_leagues); }
ITimeService* KiplinkProviderImpl::GetTimeService() { return Handed<ITimeService>(m_time); }
IFriendsProvider* KiplinkProviderImpl::GetFriendsProvider() { return Handed<IFriendsProvider>(m_friends); }
IAchievementProvider* KiplinkProviderImpl::GetAchievementProvider() {
    return Handed<IAchievementProvider>(m_achievements);
}
ILeaderboardProvider* KiplinkProviderImpl::GetLeaderboardProvider() {
    return Handed<ILeaderboardProvider>(m_leaderboards);
}
INewsProvider* KiplinkProviderImpl::GetNewsProvider() { return Handed<INewsProvider>(m_news); }
ICloudProvider* KiplinkProviderImpl::GetCloudProvider() { return Handed<ICloudProvider>(m_cloud); }
IAsyncGames* KiplinkProviderImpl::GetAsyncGames() { return Handed<IAsyncGames>(m_asyncGames); }

CloudObjectSync* KiplinkProviderImpl::FindCloudSync(IUser* user) const {
    return m_cloud ? m_cloud->FindSyncObject(user) : nullptr;
}
IUserDirectory* KiplinkProviderImpl::GetUserDirectory() { return Handed<IUserDirectory>(m_pools); }

void KiplinkProviderImpl::ApplyStaticData(bool itemLayout) {
    if (!m_achievements || !m_staticData) {
        return;
    }
    if (const SignedDataFile* file = m_staticData->GetFile(kStaticAchievements)) {
        m_achievements->LoadAchievements(file->GetData(), itemLayout);
    }
    if (const SignedDataFile* file = m_staticData->GetFile(kStaticLeaderboards)) {
        m_leaderboards->LoadLeaderboards(file->GetData(), itemLayout);
    }
    if (const SignedDataFile* file = m_staticData->GetFile(kStaticCloudObjects)) {
        m_cloud->LoadDefinitions(file->GetData());
    }
}

IUser* KiplinkProviderImpl::FindUserByKiplinkId(const char* id) {
    if (id == nullptr || id[0] == '\0' || !m_downloads) {
        return nullptr;
    }
    for (auto& entry : m_users) {
        const char* held = entry.second->GetKiplinkID();
        if (held != nullptr && std::string(held) == id) {
            entry.second->Reference();
            return entry.second.Get();
        }
    }
    if (!m_userList) {
        return nullptr;
    }
    const IValue* record = FindMember(static_cast<const EncryptedJsonFile&>(*m_userList).GetData(), id);
    const char* guid = record != nullptr ? FindString(*record, "guid") : nullptr;
    return guid != nullptr ? GetUser(guid) : nullptr;
}

UserImpl* KiplinkProviderImpl::FindLoadedUser(const std::string& guid) const {
    auto found = m_users.find(guid);
    return found != m_users.end() ? found->second.Get() : nullptr;
}

IUser* KiplinkProviderImpl::GetUser(const char* guid) {
    if (guid == nullptr || guid[0] == '\0' || !m_downloads) {
        return nullptr;
    }
    UserImpl* user = FindLoadedUser(guid);
    if (user == nullptr) {
        user = new UserImpl(this, guid);
        m_users[user->GetGUID()] = user;
    }
    user->Reference();
    return user;
}

IUser* KiplinkProviderImpl::CreateUser() {
    if (!m_downloads) {
        return nullptr;
    }
    auto* user = new UserImpl(this, nullptr);
    m_users[user->GetGUID()] = user;
    user->Reference();
    return user;
}

void KiplinkProviderImpl::RecordUserInList(const std::string& guid, const std::string& kiplinkId) {
    if (!m_userList) {
        m_userList = new EncryptedJsonFile(m_platform.Get(), GetRootDataPath("UserList.json"));
        m_userList->Load();
    }
    IValue& list = m_userList->GetData();
    if (!list.IsObject()) {
        MakeEmptyObject(list);
    }
    list[kiplinkId.c_str()]["guid"].SetAsString(guid.c_str());
    m_userList->Save();
}

void KiplinkProviderImpl::SetServer(const KiplinkSettings& settings) {
    if (settings.baseUrl == m_baseUrl && settings.buildId == m_buildId) {
        return;
    }
    m_baseUrl = WithSlash(settings.baseUrl.c_str());
    m_buildId = settings.buildId;
}

uint32_t KiplinkProviderImpl::GetServerTime() const {
    return m_time ? m_time->GetServerTime() : LibraryWallSeconds();
}

std::string KiplinkProviderImpl::GetRootDataPath(const std::string& name) const {
    return RootDataPath(m_platform ? m_platform->GetSaveDirectory() : "", name);
}

std::string KiplinkProviderImpl::GetGameDataPath(const std::string& name) const {
    return GameDataPath(m_platform ? m_platform->GetSaveDirectory() : "", m_gameFamily, name);
}

std::string KiplinkProviderImpl::GetUserDataPath(const std::string& guid, const std::string& name) const {
    return UserDataPath(m_platform ? m_platform->GetSaveDirectory() : "", m_gameFamily, guid, name);
}

void KiplinkProviderImpl::SendGameUpdate() {
    RequestContext context("game", "update");
    const char* deviceId = m_platform ? m_platform->GetDeviceInfo(kDeviceId) : nullptr;
    context.Params().AppendString(deviceId != nullptr ? deviceId : "");
    context.Params().AppendString(m_buildId.c_str());
    SendRequest(context, this, this, &KiplinkProviderImpl::OnGameUpdateReply, 0);
}

void KiplinkProviderImpl::OnGameUpdateReply(RequestContext&, const IValue& error, const IValue& result) {
    if (error.IsNull() && result.IsNumber()) {
        m_gameUpdateResult = result.AsInt(0);
        m_listeners.Notify(&IKiplinkProviderCallbacks::OnGameUpdate, static_cast<IKiplinkProvider*>(this),
                           KIPLINKERROR_NONE, static_cast<const char*>(nullptr));
        return;
    }
    std::string message = "error";
    if (!error.IsNull() && error.IsArray() && error.GetMemberByInt(1)->IsString()) {
        message = error.GetMemberByInt(1)->AsString("error");
    }
    m_listeners.Notify(&IKiplinkProviderCallbacks::OnGameUpdate, static_cast<IKiplinkProvider*>(this),
                       KIPLINKERROR_FAILED, message.c_str());
}

}  // namespace Kiplink
