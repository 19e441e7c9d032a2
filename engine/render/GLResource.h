// The registration of an object that owns GL objects, so that every GL object
// of the process can be released and restored together (a lost context).
#pragma once

namespace Varnok {

class GLResource {
public:
    // Links itself to the front of the list of live GL resources.
    GLResource();
    // Unlinks itself.
    virtual ~GLResource();
    GLResource(const GLResource&) = delete;
    GLResource& operator=(const GLResource&) = delete;

    // Deletes the GL objects.
    virtual void Release() = 0;
    // Creates them again.
    virtual void Restore() = 0;

    // The newest live resource, then older ones through GetNext(); null at
    // the end. Main thread only: the list is not locked.
    static GLResource* GetFirst();
    GLResource* GetNext() const { return m_next; }

private:
    GLResource* m_next = nullptr;
};

}  // namespace Varnok
