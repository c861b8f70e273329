// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A ring of a fixed number of items: its storage is reserved once, when it
// is made, and filled as items come (untouched memory costs no pages), and a
// push onto a full ring overwrites the oldest item. Items are indexed oldest
// first. The names follow the standard containers.

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace netsonde {

template <typename T>
class RingBuffer {
public:
    // A ring of no capacity holds nothing.
    explicit RingBuffer(std::size_t capacity) : m_capacity(capacity) { m_items.reserve(capacity); }

    std::size_t capacity() const { return m_capacity; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    void push_back(const T& item)
    {
        if (m_capacity == 0)
            return;
        if (m_items.size() < m_capacity)
            m_items.push_back(item);
        else
            m_items[Slot(m_size == m_capacity ? 0 : m_size)] = item;
        if (m_size == m_capacity)
            m_first = Slot(1);
        else
            ++m_size;
    }
    // Keeps the storage reserved.
    void clear()
    {
        m_items.clear();
        m_first = 0;
        m_size = 0;
    }

    const T& operator[](std::size_t index) const
    {
        Q_ASSERT(index < m_size);
        return m_items[Slot(index)];
    }
    T& operator[](std::size_t index)
    {
        Q_ASSERT(index < m_size);
        return m_items[Slot(index)];
    }
    const T& front() const { return (*this)[0]; }
    const T& back() const { return (*this)[m_size - 1]; }

private:
    std::size_t Slot(std::size_t index) const { return (m_first + index) % m_capacity; }

    std::size_t m_capacity;
    std::vector<T> m_items;
    std::size_t m_first = 0; // the slot of the oldest item
    std::size_t m_size = 0;
};

} // namespace netsonde
