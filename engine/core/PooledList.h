// A doubly linked list whose nodes come from a FixedPool (or the heap), and a
// fixed stock of zeroed records handed out and taken back.
#pragma once

#include "engine/core/Log.h"
#include "engine/core/MemoryPool.h"

#include <new>
#include <utility>
#include <vector>

namespace Varnok {

template <typename T>
class PooledList {
public:
    struct Node {
        Node* prev;
        Node* next;
        T value;
    };

    class Iterator {
    public:
        Iterator() = default;
        explicit Iterator(Node* node) : m_node(node) {}
        T& operator*() const { return m_node->value; }
        T* operator->() const { return &m_node->value; }
        Iterator& operator++() {
            m_node = m_node->next;
            return *this;
        }
        bool operator==(const Iterator& other) const { return m_node == other.m_node; }
        bool operator!=(const Iterator& other) const { return m_node != other.m_node; }
        Node* GetNode() const { return m_node; }

    private:
        Node* m_node = nullptr;
    };

    // Nodes from the heap.
    PooledList() = default;
    // Nodes from pool, which must outlive the list; a pool whose blocks are
    // too small for a node is not used (logged) and the heap serves instead.
    explicit PooledList(FixedPool* pool) : m_pool(pool) {
        if (m_pool != nullptr && m_pool->GetBlockSize() < sizeof(Node)) {
            Log("PooledList: pool blocks of %zu bytes cannot hold %zu-byte nodes; using the heap",
                m_pool->GetBlockSize(), sizeof(Node));
            m_pool = nullptr;
        }
    }
    ~PooledList() { Clear(); }
    PooledList(const PooledList&) = delete;
    PooledList& operator=(const PooledList&) = delete;

    // Null when the pool is exhausted.
    Node* PushFront(T value) {
        void* memory = m_pool != nullptr ? m_pool->Alloc() : ::operator new(sizeof(Node));
        if (memory == nullptr) {
            return nullptr;
        }
        Node* node = new (memory) Node{nullptr, m_head, std::move(value)};
        if (m_head != nullptr) {
            m_head->prev = node;
        } else {
            m_tail = node;
        }
        m_head = node;
        ++m_count;
        return node;
    }

    // Unlinks node (a node of this list) and returns it to its pool.
    void Remove(Node* node) {
        if (node == nullptr) {
            return;
        }
        (node->prev != nullptr ? node->prev->next : m_head) = node->next;
        (node->next != nullptr ? node->next->prev : m_tail) = node->prev;
        --m_count;
        Release(node);
    }

    // Removes the node under it and answers the iterator after it.
    Iterator Erase(Iterator it) {
        Node* next = it.GetNode()->next;
        Remove(it.GetNode());
        return Iterator(next);
    }

    void Clear() {
        while (m_head != nullptr) {
            Node* next = m_head->next;
            Release(m_head);
            m_head = next;
        }
        m_tail = nullptr;
        m_count = 0;
    }

    int Count() const { return m_count; }
    bool IsEmpty() const { return m_count == 0; }
    Node* Head() const { return m_head; }
    Node* Tail() const { return m_tail; }
    Iterator begin() const { return Iterator(m_head); }
    Iterator end() const { return Iterator(); }

private:
    void Release(Node* node) {
        node->~Node();
        if (m_pool != nullptr) {
            m_pool->Free(node);
        } else {
            ::operator delete(node);
        }
    }

    FixedPool* m_pool = nullptr;
    Node* m_head = nullptr;
    Node* m_tail = nullptr;
    int m_count = 0;
};

// A fixed number of value-initialised records in one block, handed out from a
// stack. Records are not cleared when they come back.
template <typename T>
class NodePool {
public:
    NodePool() = default;
    ~NodePool() { Destroy(); }
    NodePool(const NodePool&) = delete;
    NodePool& operator=(const NodePool&) = delete;

    // Sets aside count records, replacing any earlier set (whose records must
    // all have come back).
    void Reserve(int count) {
        Destroy();
        if (count <= 0) {
            return;
        }
        m_records.assign(static_cast<size_t>(count), T{});
        m_isFree.assign(static_cast<size_t>(count), true);
        m_free.reserve(static_cast<size_t>(count));
        for (int i = count - 1; i >= 0; --i) {
            m_free.push_back(&m_records[static_cast<size_t>(i)]);
        }
    }

    void Destroy() {
        m_free.clear();
        m_isFree.clear();
        m_records.clear();
        m_records.shrink_to_fit();
    }

    // Null when every record is out.
    T* Take() {
        if (m_free.empty()) {
            return nullptr;
        }
        T* record = m_free.back();
        m_free.pop_back();
        m_isFree[IndexOf(record)] = false;
        return record;
    }

    // A record that is not out (or not from this pool) is refused with a log
    // line, so a double return cannot hand one record out twice.
    void Give(T* record) {
        if (record == nullptr) {
            return;
        }
        if (m_records.empty() || record < m_records.data() ||
            record >= m_records.data() + m_records.size() || m_isFree[IndexOf(record)]) {
            Log("NodePool: record %p is not out of this pool", static_cast<void*>(record));
            return;
        }
        m_isFree[IndexOf(record)] = true;
        m_free.push_back(record);
    }

    int GetCapacity() const { return static_cast<int>(m_records.size()); }
    int GetAvailable() const { return static_cast<int>(m_free.size()); }

private:
    size_t IndexOf(const T* record) const { return static_cast<size_t>(record - m_records.data()); }

    std::vector<T> m_records;
    std::vector<T*> m_free;
    std::vector<bool> m_isFree;
};

}  // namespace Varnok
