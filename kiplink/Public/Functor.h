// Bound callbacks for asynchronous completions (a finished web request, a
// downloaded file): a callable with one argument, kept by value in a holder
// with inline room, so that pending work carries no heap functor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>

namespace Kiplink {

// A process-wide id per concrete functor class, handed out on first use from
// one counter (the first is 1).
uint32_t NextFunctorTypeId();

template <class Concrete>
uint32_t FunctorTypeId() {
    static const uint32_t s_id = NextFunctorTypeId();
    return s_id;
}

template <class Arg>
class FunctorHolder;

// A callable taking one Arg.
template <class Arg>
class Functor1 {
public:
    virtual ~Functor1() = default;
    // Places a copy of this functor into the (empty) holder.
    virtual void CloneInto(FunctorHolder<Arg>& holder) const = 0;
    virtual void Invoke(Arg argument) = 0;
    virtual uint32_t GetTypeId() const = 0;
    // Requires: other.GetTypeId() == GetTypeId().
    virtual bool Equals(const Functor1& other) const = 0;
};

// Holds one functor or nothing. Functors up to kInlineBytes live inline;
// a larger one (none of the library's) goes to the heap.
template <class Arg>
class FunctorHolder {
public:
    static constexpr size_t kInlineBytes = 96;

    FunctorHolder() = default;
    FunctorHolder(const FunctorHolder& other) { CopyFrom(other); }
    FunctorHolder& operator=(const FunctorHolder& other) {
        if (this != &other) {
            CopyFrom(other);
        }
        return *this;
    }
    template <class F, class = std::enable_if_t<std::is_base_of_v<Functor1<Arg>, F>>>
    FunctorHolder(const F& functor) {  // NOLINT: implicit by design
        functor.CloneInto(*this);
    }
    ~FunctorHolder() { Reset(); }

    void Reset() {
        if (!m_indirect) {
            Inline()->~Functor1<Arg>();
        } else {
            delete m_heap;
        }
        m_indirect = true;
        m_heap = nullptr;
    }
    bool IsEmpty() const { return m_indirect && m_heap == nullptr; }

    // Does nothing when empty.
    void Invoke(Arg argument) {
        if (Functor1<Arg>* functor = Get()) {
            functor->Invoke(std::forward<Arg>(argument));
        }
    }
    void CopyFrom(const FunctorHolder& other) {
        Reset();
        if (const Functor1<Arg>* functor = other.Get()) {
            functor->CloneInto(*this);
        }
    }
    // True when both are empty, or both hold functors of one class that bind
    // the same thing.
    bool Equals(const FunctorHolder& other) const {
        const Functor1<Arg>* mine = Get();
        const Functor1<Arg>* theirs = other.Get();
        if (mine == nullptr || theirs == nullptr) {
            return mine == theirs;
        }
        return mine->GetTypeId() == theirs->GetTypeId() && mine->Equals(*theirs);
    }

    Functor1<Arg>* Get() { return m_indirect ? m_heap : Inline(); }
    const Functor1<Arg>* Get() const { return m_indirect ? m_heap : Inline(); }
    bool IsInline() const { return !m_indirect; }

    // For CloneInto: constructs a copy of functor here.
    template <class F>
    void Emplace(const F& functor) {
        Reset();
        if constexpr (sizeof(F) <= kInlineBytes && alignof(F) <= alignof(std::max_align_t)) {
            new (m_storage) F(functor);
            m_indirect = false;
        } else {
            m_heap = new F(functor);
        }
    }

private:
    Functor1<Arg>* Inline() { return std::launder(reinterpret_cast<Functor1<Arg>*>(m_storage)); }
    const Functor1<Arg>* Inline() const {
        return std::launder(reinterpret_cast<const Functor1<Arg>*>(m_storage));
    }

    union {
        alignas(std::max_align_t) unsigned char m_storage[kInlineBytes];
        Functor1<Arg>* m_heap = nullptr;
    };
    bool m_indirect = true;
};

// Calls a member of an object that it does not reference: the object must
// outlive the pending work, or the holder must be reset first.
template <class Target, class Arg>
class MemberFunctor1 final : public Functor1<Arg> {
public:
    using Method = void (Target::*)(Arg);

    MemberFunctor1(Target* object, Method method) : m_object(object), m_method(method) {}

    void CloneInto(FunctorHolder<Arg>& holder) const override { holder.Emplace(*this); }
    void Invoke(Arg argument) override { (m_object->*m_method)(std::forward<Arg>(argument)); }
    uint32_t GetTypeId() const override { return FunctorTypeId<MemberFunctor1>(); }
    bool Equals(const Functor1<Arg>& other) const override {
        const auto& that = static_cast<const MemberFunctor1&>(other);
        return m_method == that.m_method && m_object == that.m_object;
    }

private:
    Target* m_object;
    Method m_method;
};

// Calls a member of a small record that it keeps by value (a manager pointer,
// a file name and a flag, say). Record needs operator==.
template <class Record, class Arg>
class BoundRecordFunctor final : public Functor1<Arg> {
public:
    using Method = void (Record::*)(Arg);

    BoundRecordFunctor(Record record, Method method) : m_record(std::move(record)), m_method(method) {}

    void CloneInto(FunctorHolder<Arg>& holder) const override { holder.Emplace(*this); }
    void Invoke(Arg argument) override { (m_record.*m_method)(std::forward<Arg>(argument)); }
    uint32_t GetTypeId() const override { return FunctorTypeId<BoundRecordFunctor>(); }
    bool Equals(const Functor1<Arg>& other) const override {
        const auto& that = static_cast<const BoundRecordFunctor&>(other);
        return m_method == that.m_method && m_record == that.m_record;
    }
    const Record& GetRecord() const { return m_record; }

private:
    Record m_record;
    Method m_method;
};

}  // namespace Kiplink
