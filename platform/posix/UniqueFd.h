// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ownership of one file descriptor, closed when the owner goes.

#include <unistd.h>

#include <utility>

namespace netsonde {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(-1); }

    int Get() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }

private:
    void Reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

    int m_fd = -1;
};

} // namespace netsonde
