// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splits a fuzzer's input into the few choices a target makes and the bytes
// it works on, without needing the fuzzer's own headers (the seed tests
// are built with gcc).

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

namespace netsonde::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : m_bytes(data, static_cast<qsizetype>(size)) {}

    // The next count bytes, fewer when the input ends first.
    QByteArrayView TakeBytes(qsizetype count)
    {
        const QByteArrayView taken = m_bytes.first(qMin(count, m_bytes.size()));
        m_bytes = m_bytes.sliced(taken.size());
        return taken;
    }
    // The next byte, or 0 once the input is used up.
    std::uint8_t TakeByte()
    {
        const QByteArrayView byte = TakeBytes(1);
        return byte.isEmpty() ? 0 : static_cast<std::uint8_t>(byte.front());
    }
    // Whatever is left.
    QByteArrayView Rest() const { return m_bytes; }

private:
    QByteArrayView m_bytes;
};

} // namespace netsonde::fuzz
