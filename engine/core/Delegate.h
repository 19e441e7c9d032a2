// Callbacks held by value: a plain function or a member function bound to an
// object. Delegates never allocate; copies are independent.
#pragma once

#include "engine/core/StackAllocatedPointer.h"
#include "engine/core/TypeInfo.h"

#include <utility>

namespace Varnok {

// The shared body of Delegate0 .. Delegate4.
template <typename R, typename... Args>
class DelegateImpl {
public:
    class BaseDelegate;
    using Holder = StackAllocatedPointer<BaseDelegate, 32>;

    class BaseDelegate {
    public:
        virtual ~BaseDelegate() = default;
        // Rebuilds a copy of this callable in target, replacing its content.
        virtual void Clone(Holder& target) const = 0;
        virtual R Call(Args... args) const = 0;
        virtual int GetTypeID() const = 0;
        // Requires: other has the same type id.
        virtual bool Compare(const BaseDelegate& other) const = 0;
    };

    class Global final : public BaseDelegate {
    public:
        using Function = R (*)(Args...);
        explicit Global(Function function) : m_function(function) {}

        void Clone(Holder& target) const override { target.CopyConstruct(*this); }
        R Call(Args... args) const override { return m_function(std::forward<Args>(args)...); }
        int GetTypeID() const override { return TypeInfo<Global>::GetID(); }
        bool Compare(const BaseDelegate& other) const override {
            return m_function == static_cast<const Global&>(other).m_function;
        }

    private:
        Function m_function;
    };

    template <typename T>
    class Callee final : public BaseDelegate {
    public:
        using Method = R (T::*)(Args...);
        Callee(T* object, Method method) : m_object(object), m_method(method) {}

        void Clone(Holder& target) const override { target.CopyConstruct(*this); }
        // A virtual method is dispatched on the object.
        R Call(Args... args) const override {
            return (m_object->*m_method)(std::forward<Args>(args)...);
        }
        int GetTypeID() const override { return TypeInfo<Callee>::GetID(); }
        bool Compare(const BaseDelegate& other) const override {
            const auto& callee = static_cast<const Callee&>(other);
            return m_object == callee.m_object && m_method == callee.m_method;
        }

    private:
        T* m_object;  // not owned; must outlive the delegate's use
        Method m_method;
    };

    DelegateImpl() = default;
    DelegateImpl(typename Global::Function function) {
        if (function != nullptr) {
            m_holder.CopyConstruct(Global(function));
        }
    }
    // object may be of a class derived from the method's class.
    template <typename T, typename M>
    DelegateImpl(T* object, R (M::*method)(Args...)) {
        m_holder.CopyConstruct(Callee<M>(static_cast<M*>(object), method));
    }

    // Calls nothing when empty (and then answers R()).
    R operator()(Args... args) const {
        const BaseDelegate* callable = m_holder.Get();
        if (callable == nullptr) {
            return R();
        }
        return callable->Call(std::forward<Args>(args)...);
    }
    R Invoke(Args... args) const { return (*this)(std::forward<Args>(args)...); }

    bool IsEmpty() const { return m_holder.Get() == nullptr; }
    explicit operator bool() const { return !IsEmpty(); }
    void Clear() { m_holder.Delete(); }

    // Same callable object, or the same kind of callable bound to the same
    // function (and object).
    bool operator==(const DelegateImpl& other) const {
        const BaseDelegate* a = m_holder.Get();
        const BaseDelegate* b = other.m_holder.Get();
        if (a == b) {
            return true;
        }
        if (a == nullptr || b == nullptr || a->GetTypeID() != b->GetTypeID()) {
            return false;
        }
        return a->Compare(*b);
    }
    bool operator!=(const DelegateImpl& other) const { return !(*this == other); }

    // True when the callable lives in the inline buffer (always, for these).
    bool IsInPlace() const { return m_holder.IsInPlace(); }

private:
    Holder m_holder;
};

template <typename R>
class Delegate0 : public DelegateImpl<R> {
public:
    using DelegateImpl<R>::DelegateImpl;
};

template <typename R, typename A1>
class Delegate1 : public DelegateImpl<R, A1> {
public:
    using DelegateImpl<R, A1>::DelegateImpl;
};

template <typename R, typename A1, typename A2>
class Delegate2 : public DelegateImpl<R, A1, A2> {
public:
    using DelegateImpl<R, A1, A2>::DelegateImpl;
};

template <typename R, typename A1, typename A2, typename A3>
class Delegate3 : public DelegateImpl<R, A1, A2, A3> {
public:
    using DelegateImpl<R, A1, A2, A3>::DelegateImpl;
};

template <typename R, typename A1, typename A2, typename A3, typename A4>
class Delegate4 : public DelegateImpl<R, A1, A2, A3, A4> {
public:
    using DelegateImpl<R, A1, A2, A3, A4>::DelegateImpl;
};

}  // namespace Varnok
