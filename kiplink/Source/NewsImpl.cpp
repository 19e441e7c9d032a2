#include "kiplink/Source/NewsImpl.h"

#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValueImpl.h"
#include "kiplink/Source/ValuePath.h"

#include <algorithm>
#include <string>

namespace Kiplink {

namespace {

// Keeps its item alive until the download ends, then tells it.
struct ImageDone {
    RefPtr<NewsItemImpl> item;
    void Complete(const char* path) {
        RefPtr<NewsItemImpl> held = item;
        held->OnImageDownloaded(path);
    }
    bool operator==(const ImageDone& other) const { return item.Get() == other.item.Get(); }
};

float NumberOf(const IValue& record, const char* name) {
    const IValue* value = FindMember(record, name);
    return value != nullptr && value->IsNumber() ? value->AsFloat(0.0f) : 0.0f;
}

}  // namespace

// ---- Items ----

void NewsItemImpl::Read(const IValue& record) {
    if (const char* id = FindString(record, "id")) {
        m_id = id;
    }
    if (const char* title = FindString(record, "title")) {
        m_title = title;
    }
    for (auto field : {std::make_pair("expires", &m_expires), std::make_pair("published", &m_published)}) {
        const IValue* value = FindMember(record, field.first);
        if (value != nullptr && value->IsNumber()) {
            *field.second = value->AsUInt(0);
        }
    }
    const IValue* read = FindMember(record, "read");
    if (read != nullptr && read->IsBool()) {
        m_read = true;  // the board already knows the flag: no write-back needed here
    }
    const char* type = FindString(record, "type");
    const IValue* content = FindMember(record, "content");
    const bool hasContent = content != nullptr && content->IsObject();
    if (type != nullptr && std::string(type) == "TEXT") {
        m_type = kNewsText;
        if (const char* text = hasContent ? FindString(*content, "text") : nullptr) {
            m_text = text;
        }
    } else if (type != nullptr && std::string(type) == "IMAGE") {
        m_type = kNewsImage;
        if (const char* image = hasContent ? FindString(*content, "image") : nullptr) {
            m_image = image;
        }
    }
    const IValue* regions = hasContent ? FindMember(*content, "linkRegions") : nullptr;
    for (uint32_t i = 0; regions != nullptr && regions->IsArray() && i < regions->GetMemberCount(); ++i) {
        const IValue& region = *regions->GetMemberByInt(static_cast<int32_t>(i));
        if (!region.IsObject()) {
            continue;
        }
        const char* link = FindString(region, "link");
        m_regions.push_back({NumberOf(region, "x"), NumberOf(region, "y"), NumberOf(region, "width"),
                             NumberOf(region, "height"), link != nullptr ? link : ""});
    }
}

void NewsItemImpl::MarkRead() {
    if (m_read) {
        return;
    }
    m_read = true;
    if (m_board != nullptr) {
        m_board->OnItemRead(*this);
    }
}

const char* NewsItemImpl::GetLinkAt(float x, float y) const {
    for (const Region& region : m_regions) {
        if (x > region.x && y > region.y && x < region.x + region.width && y < region.y + region.height) {
            return region.link.c_str();
        }
    }
    return nullptr;
}

const char* NewsItemImpl::GetLinkRegion(int index, float* outX, float* outY, float* outWidth, float* outHeight) const {
    if (index < 0 || index >= GetLinkRegionCount()) {
        return nullptr;
    }
    const Region& region = m_regions[index];
    *outX = region.x;
    *outY = region.y;
    *outWidth = region.width;
    *outHeight = region.height;
    return region.link.c_str();
}

void NewsItemImpl::LoadImage() {
    if (m_type != kNewsImage || m_image.empty()) {
        return;
    }
    m_text.clear();
    m_imageLoading = true;
    m_imageLoaded = false;
    m_root->Downloads().Download(m_image, BoundRecordFunctor<ImageDone, const char*>(ImageDone{this}, &ImageDone::Complete),
                                 "", false);
}

void NewsItemImpl::OnImageDownloaded(const char* path) {
    m_imageLoading = false;
    if (path == nullptr) {
        return;  // failed for good: the item stays without its picture
    }
    m_text = path;
    m_imageLoaded = true;
    m_listeners.Notify(&INewsItemCallbacks::OnImageLoaded, static_cast<INewsItem*>(this));
}

// ---- Boards ----

NewsBoardImpl::NewsBoardImpl(KiplinkProviderImpl* root, IUser* user)
    : m_root(root), m_user(user), m_data(CreateValue()) {}

NewsBoardImpl::~NewsBoardImpl() {
    ClearItems();
    m_data->Release();
}

std::string NewsBoardImpl::CachePath() const { return m_root->GetUserDataPath(m_user->GetGUID(), "news.json"); }

void NewsBoardImpl::SaveCache() {
    RefPtr<EncryptedJsonFile> file(new EncryptedJsonFile(m_root->Platform(), CachePath()));
    file->GetData().SetAsValue(*m_data);
    file->Save();
}

INewsItem* NewsBoardImpl::GetNews(int index) {
    if (index < 0 || index >= GetNewsCount()) {
        return nullptr;
    }
    m_items[index]->Reference();
    return m_items[index].Get();
}

int NewsBoardImpl::GetReadCount() const {
    return static_cast<int>(
        std::count_if(m_items.begin(), m_items.end(), [](const RefPtr<NewsItemImpl>& item) { return item->IsRead(); }));
}

IUser* NewsBoardImpl::GetUser() {
    m_user->Reference();
    return m_user.Get();
}

void NewsBoardImpl::ClearItems() {
    for (const RefPtr<NewsItemImpl>& item : m_items) {
        item->Detach();
    }
    m_items.clear();
    m_byId.clear();
}

void NewsBoardImpl::BuildItems(const IValue& data) {
    const IValue* news = FindMember(data, "news");
    if (news == nullptr || !news->IsArray()) {
        return;
    }
    if (const char* hash = FindString(data, "hash")) {
        m_hash = hash;
    }
    for (uint32_t i = 0; i < news->GetMemberCount(); ++i) {
        const IValue& record = *news->GetMemberByInt(static_cast<int32_t>(i));
        if (!record.IsObject()) {
            continue;
        }
        RefPtr<NewsItemImpl> item(new NewsItemImpl(m_root, this));
        item->Read(record);
        if (m_byId.count(item->GetId()) != 0) {
            item->Detach();
            continue;  // the first of an id stays
        }
        item->LoadImage();
        m_byId[item->GetId()] = item;
        m_items.push_back(item);
    }
    std::stable_sort(m_items.begin(), m_items.end(), [](const RefPtr<NewsItemImpl>& a, const RefPtr<NewsItemImpl>& b) {
        return a->GetPublished() > b->GetPublished();
    });
}

void NewsBoardImpl::LoadCached() {
    RefPtr<NewsBoardImpl> self(this);
    RefPtr<EncryptedJsonFile> file(new EncryptedJsonFile(m_root->Platform(), CachePath()));
    if (!file->Load()) {
        m_listeners.Notify(&INewsBoardCallbacks::OnSync, "failed to load cached news", static_cast<INewsBoard*>(this),
                           0);
        return;
    }
    ClearItems();
    m_data->SetAsValue(static_cast<const EncryptedJsonFile&>(*file).GetData());
    BuildItems(*m_data);
    m_listeners.Notify(&INewsBoardCallbacks::OnSync, static_cast<const char*>(nullptr), static_cast<INewsBoard*>(this),
                       0);
}

void NewsBoardImpl::Sync() {
    RequestContext context("news", "sync");
    IValue& params = context.Params();
    const char* token = m_user->GetAuthToken();
    const char* deviceId = m_root->Platform() != nullptr ? m_root->Platform()->GetDeviceInfo(kDeviceId) : nullptr;
    params.AppendString(token != nullptr ? token : "");
    params.AppendString(deviceId != nullptr ? deviceId : "");
    params.AppendString(m_root->GetBuildId());
    params.AppendString(m_hash.c_str());
    IValue* read = CreateObject();
    for (const RefPtr<NewsItemImpl>& item : m_items) {
        if (item->IsRead()) {
            (*read)[item->GetId()].SetAsBool(true);
        }
    }
    params.AppendValue(*read);
    read->Release();
    SendRequest(context, m_root, this, &NewsBoardImpl::OnSyncReply, 0);
}

void NewsBoardImpl::OnSyncReply(RequestContext& context, const IValue& error, const IValue& result) {
    RefPtr<NewsBoardImpl> self(this);
    if (!error.IsNull()) {
        m_listeners.Notify(&INewsBoardCallbacks::OnSync, "response failed", static_cast<INewsBoard*>(this), 0);
        // Only a refusal of the token the user still holds drops it: a sync
        // sent before the first login (with no token) says nothing about the
        // login under way or finished meanwhile.
        const IValue* sent = context.GetParams();
        const char* sentToken = sent != nullptr ? sent->GetMemberByInt(0)->AsString("") : "";
        const char* token = m_user->GetAuthToken();
        if (sentToken[0] != '\0' && std::string(sentToken) == (token != nullptr ? token : "")) {
            static_cast<UserImpl*>(m_user.Get())->CheckReplyError(error);  // users come only from the root
        }
        return;
    }
    if (result.IsObject()) {
        const IValue* news = FindMember(result, "news");
        if (news != nullptr && !news->IsNull()) {
            ClearItems();
            m_data->SetAsValue(result);
            BuildItems(*m_data);
            SaveCache();
        }
        const IValue* readNews = FindMember(result, "readNews");
        if (readNews != nullptr && readNews->IsObject()) {
            for (const ValueImpl::Member& member : Impl(*readNews).Members()) {
                const std::string& id = member.key->StringBytes();
                auto found = member.key->IsString() && !id.empty() ? m_byId.find(id) : m_byId.end();
                if (found != m_byId.end()) {
                    found->second->MarkRead();
                }
            }
        }
    }
    const IValue& ttl = GetReplyMember(context, "ttl");
    m_listeners.Notify(&INewsBoardCallbacks::OnSync, static_cast<const char*>(nullptr), static_cast<INewsBoard*>(this),
                       ttl.IsNumber() ? ttl.AsInt(0) : 0);
}

void NewsBoardImpl::OnItemRead(const NewsItemImpl& item) {
    if (const char* hash = FindString(*m_data, "hash")) {
        m_hash = hash;
    }
    const IValue* news = FindMember(*m_data, "news");
    for (uint32_t i = 0; news != nullptr && news->IsArray() && i < news->GetMemberCount(); ++i) {
        IValue& record = *m_data->GetMemberByString("news")->GetMemberByInt(static_cast<int32_t>(i));
        const char* id = FindString(record, "id");
        if (id != nullptr && item.GetId() == std::string(id)) {
            record["read"].SetAsBool(true);
            break;
        }
    }
    SaveCache();
}

INewsBoard* NewsProviderImpl::GetNewsBoard(IUser* user) {
    if (user == nullptr) {
        return nullptr;
    }
    RefPtr<NewsBoardImpl>& board = m_boards[user->GetGUID()];
    if (!board) {
        board = new NewsBoardImpl(m_root, user);
    }
    board->Reference();
    return board.Get();
}

}  // namespace Kiplink
