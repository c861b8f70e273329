// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A ring of a fixed number of items: its storage is allocated once, when it
// is made, and a push onto a full ring overwrites the oldest item. Items are
// indexed oldest first. The names follow the standard containers.

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace netsonde {

template <typename T>
class RingBuffer {
public:
    // A ring of no capacity holds nothing.
    explicit RingBuffer(std::size_t capacity) : m_items(capacity) {}

    std::size_t capacity() const { return m_items.size(); }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    void push_back(const T& item)
    {
        if (m_items.empty())
            return;
        m_items[Slot(m_size == capacity() ? 0 : m_size)] = item;
        if (m_size == capacity())
            m_first = Slot(1);
        else
            ++m_size;
    }
    void clear()
    {
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
    std::size_t Slot(std::size_t index) const { return (m_first + index) % m_items.size(); }

    std::vector<T> m_items;
    std::size_t m_first = 0; // the slot of the oldest item
    std::size_t m_size = 0;
};

} // namespace netsonde
