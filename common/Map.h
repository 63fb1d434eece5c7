// Associative map kept as a sorted Common::list of pairs, with linear lookups.
#pragma once

#include "common/Convertible.h"
#include "common/DefaultAllocator.h"
#include "common/List.h"
#include "common/Pair.h"

namespace Common {

// Keys walk in ascending order of K's operator< and are unique under K's operator==. The maps of the
// library hold a handful of attributes or one entry per file of an image, so there is no tree.
template <class K, class V, class Allocator = DefaultAllocator> class map : public Convertible {
  public:
    typedef pair<K, V> value_type;
    typedef list<value_type, Allocator> entry_list;
    typedef typename entry_list::iterator iterator;
    typedef typename entry_list::const_iterator const_iterator;

    iterator begin() { return m_entries.begin(); }
    iterator end() { return m_entries.end(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }

    // Stops at the first equal key; the order is not used to stop early.
    iterator find(const K &key) {
        iterator it = begin();
        for (; it != end(); ++it) {
            if (it->first == key)
                break;
        }
        return it;
    }

    const_iterator find(const K &key) const {
        const_iterator it = begin();
        for (; it != end(); ++it) {
            if (it->first == key)
                break;
        }
        return it;
    }

    // An existing key keeps its key object and takes the new value: {its position, false}.
    // Otherwise the entry is linked before the first key not less than it: {its position, true}.
    pair<iterator, bool> insert(const value_type &entry) {
        iterator found = find(entry.first);
        if (found != end()) {
            found->second = entry.second;
            return pair<iterator, bool>(found, false);
        }
        iterator at = begin();
        while (at != end() && at->first < entry.first)
            ++at;
        entry_list::linkBefore(at.node, m_entries.makeNode(entry));
        return pair<iterator, bool>(find(entry.first), true);
    }

    V &operator[](const K &key) {
        iterator found = find(key);
        if (found != end())
            return found->second;
        return insert(value_type(key, V())).first->second;
    }

    bool erase(const K &key) {
        iterator found = find(key);
        if (found == end())
            return false;
        m_entries.eraseNode(found.node);
        return true;
    }

    void clear() { m_entries.clear(); }

  private:
    entry_list m_entries;
};

} // namespace Common
