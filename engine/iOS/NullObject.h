// A stateless process-wide object whose one operation does nothing; loaders
// call it inside their wait-and-retry loops.
#pragma once

namespace Varnok {

class NullObject {
public:
    virtual ~NullObject() = default;

    static NullObject& Get();

    virtual void DoNothing() {}
    int GetValue() const { return m_value; }

private:
    NullObject() = default;

    int m_value = 0;  // stays 0
};

}  // namespace Varnok
