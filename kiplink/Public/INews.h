// Each user's news board: items cached in the user's folder, synchronised
// with the service together with their read flags, newest first.
#pragma once

#include "kiplink/Public/RefCounted.h"

#include <cstdint>

namespace Kiplink {

class INewsBoard;
class INewsItem;
class IUser;

enum NewsItemType : int32_t { kNewsOther = 0, kNewsText = 1, kNewsImage = 2 };

class INewsItemCallbacks : public RefCounted {
public:
    virtual void OnImageLoaded(INewsItem* item) = 0;
};

class INewsItem : public RefCounted {
public:
    virtual void AddCallbacks(INewsItemCallbacks* listener) = 0;
    virtual void RemoveCallbacks(INewsItemCallbacks* listener) = 0;
    virtual const char* GetId() const = 0;
    virtual int32_t GetType() const = 0;
    virtual const char* GetTitle() const = 0;
    // A text item's text; an image item's local picture path once loaded.
    virtual const char* GetText() const = 0;
    virtual bool IsRead() const = 0;
    virtual uint32_t GetPublished() const = 0;
    virtual uint32_t GetExpires() const = 0;
    virtual bool IsImageLoaded() const = 0;
    virtual bool IsImageLoading() const = 0;
    virtual void MarkRead() = 0;
    // The link of the first region strictly containing the point, or null.
    virtual const char* GetLinkAt(float x, float y) const = 0;
    virtual int GetLinkRegionCount() const = 0;
    virtual const char* GetLinkRegion(int index, float* outX, float* outY, float* outWidth,
                                      float* outHeight) const = 0;
    virtual void LoadImage() = 0;
};

class INewsBoardCallbacks : public RefCounted {
public:
    // error null on success; ttlSeconds from the service, 0 when none.
    virtual void OnSync(const char* error, INewsBoard* board, int32_t ttlSeconds) = 0;
};

class INewsBoard : public RefCounted {
public:
    virtual void AddCallbacks(INewsBoardCallbacks* listener) = 0;
    virtual void RemoveCallbacks(INewsBoardCallbacks* listener) = 0;
    virtual int GetNewsCount() const = 0;
    virtual INewsItem* GetNews(int index) = 0;  // with a reference, or null
    virtual int GetReadCount() const = 0;
    virtual IUser* GetUser() = 0;  // with a reference
    virtual void LoadCached() = 0;
    virtual void Sync() = 0;
    virtual void ClearItems() = 0;
};

class INewsProvider : public RefCounted {
public:
    // The user's board, made on first use; with a reference.
    virtual INewsBoard* GetNewsBoard(IUser* user) = 0;
    virtual void Load() = 0;
    virtual void Update() = 0;
};

}  // namespace Kiplink
