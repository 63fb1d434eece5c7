// Circular doubly linked list with a lazily made sentinel, and its iterator.
#pragma once

#include "common/DefaultAllocator.h"
#include "common/Types.h"

#include <new>
#include <type_traits>

namespace Common {

template <class T> struct ListNode {
    ListNode *next;
    ListNode *prev;
    T value;
};

template <class T, class Ref, class Ptr> struct ListIterator {
    typedef ListNode<T> Node;

    Node *node;

    ListIterator() : node(nullptr) {}
    explicit ListIterator(Node *n) : node(n) {}
    // A mutable iterator converts to a read-only one, not the other way round.
    template <
        class R, class P,
        class = typename std::enable_if<std::is_same<R, T &>::value && std::is_same<P, T *>::value>::type>
    ListIterator(const ListIterator<T, R, P> &other) : node(other.node) {}

    Ref operator*() const { return node->value; }
    Ptr operator->() const { return &node->value; }

    ListIterator &operator++() {
        node = node->next;
        return *this;
    }
    ListIterator operator++(int) {
        ListIterator old(*this);
        node = node->next;
        return old;
    }
    ListIterator &operator--() {
        node = node->prev;
        return *this;
    }
    ListIterator operator--(int) {
        ListIterator old(*this);
        node = node->prev;
        return old;
    }

    template <class R, class P> bool operator==(const ListIterator<T, R, P> &other) const {
        return node == other.node;
    }
    template <class R, class P> bool operator!=(const ListIterator<T, R, P> &other) const {
        return node != other.node;
    }
};

template <class T, class Allocator = DefaultAllocator> class list {
  public:
    typedef T value_type;
    typedef ListNode<T> Node;
    typedef ListIterator<T, T &, T *> iterator;
    typedef ListIterator<T, const T &, const T *> const_iterator;

    // Allocates nothing: most lists in the library are members that may never be touched.
    list() : m_sentinel(nullptr), m_initialised(0) {}

    list(const list &other) : m_sentinel(nullptr), m_initialised(0) {
        try {
            append(other);
        } catch (...) {
            if (m_initialised)
                destroy();
            throw;
        }
    }

    ~list() { destroy(); }

    list &operator=(const list &other) {
        if (this != &other) {
            clear();
            append(other);
        }
        return *this;
    }

    iterator begin() { return iterator(sentinel()->next); }
    iterator end() { return iterator(sentinel()); }
    const_iterator begin() const { return const_iterator(sentinel()->next); }
    const_iterator end() const { return const_iterator(sentinel()); }

    void push_back(const T &value) { linkBefore(sentinel(), makeNode(value)); }

    void pop_back() {
        Node *s = sentinel();
        if (s->prev != s)
            eraseNode(s->prev);
    }

    void pop_front() {
        Node *s = sentinel();
        if (s->next != s)
            eraseNode(s->next);
    }

    // The copies are built as a detached chain and spliced in at the end, so the walk never meets a
    // node it has just added, even when the range belongs to this list.
    template <class R, class P>
    void insert(iterator position, ListIterator<T, R, P> first, ListIterator<T, R, P> last) {
        Node *at = position.node;
        Node *head = nullptr;
        Node *tail = nullptr;
        try {
            for (; first != last; ++first) {
                Node *n = makeNode(*first);
                n->prev = tail;
                n->next = nullptr;
                if (tail)
                    tail->next = n;
                else
                    head = n;
                tail = n;
            }
        } catch (...) {
            while (head) {
                Node *next = head->next;
                freeNode(head);
                head = next;
            }
            throw;
        }
        if (!head)
            return;
        Node *before = at->prev;
        before->next = head;
        head->prev = before;
        tail->next = at;
        at->prev = tail;
    }

    void clear() {
        Node *s = sentinel();
        Node *n = s->next;
        while (n != s) {
            Node *next = n->next;
            freeNode(n);
            n = next;
        }
        s->next = s;
        s->prev = s;
    }

  private:
    template <class, class, class> friend class map;

    Node *sentinel() const {
        if (!m_initialised) {
            Node *s = static_cast<Node *>(m_allocator.allocate(sizeof(Node)));
            try {
                new (s) Node();
            } catch (...) {
                m_allocator.deallocate(s);
                throw;
            }
            s->next = s;
            s->prev = s;
            m_sentinel = s;
            m_initialised = 1;
        }
        return m_sentinel;
    }

    // The value is default-constructed and then assigned, so shared values (strings, SharedPtr) end
    // up sharing the source's storage.
    Node *makeNode(const T &value) {
        Node *n = static_cast<Node *>(m_allocator.allocate(sizeof(Node)));
        try {
            new (n) Node();
        } catch (...) {
            m_allocator.deallocate(n);
            throw;
        }
        try {
            n->value = value;
        } catch (...) {
            freeNode(n);
            throw;
        }
        return n;
    }

    void freeNode(Node *n) {
        n->~Node();
        m_allocator.deallocate(n);
    }

    static Node *linkBefore(Node *at, Node *n) {
        n->next = at;
        n->prev = at->prev;
        at->prev->next = n;
        at->prev = n;
        return n;
    }

    void eraseNode(Node *n) {
        n->prev->next = n->next;
        n->next->prev = n->prev;
        freeNode(n);
    }

    void append(const list &other) {
        for (const_iterator it = other.begin(); it != other.end(); ++it)
            push_back(*it);
    }

    void destroy() {
        clear();
        freeNode(m_sentinel);
        m_sentinel = nullptr;
        m_initialised = 0;
    }

    // Made on first use, including from const members.
    mutable Node *m_sentinel;
    mutable u8 m_initialised;
    mutable Allocator m_allocator;
};

} // namespace Common
