// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Splits a fuzzer's input into the few choices a target makes and the bytes
// it works on, without needing the fuzzer's own headers (the seed tests
// are built with gcc).

#include <QByteArrayView>

#include <cstdint>

namespace netsonde::fuzz {

// The next count bytes of the input, fewer when it ends first; the input keeps the rest.
inline QByteArrayView TakeBytes(QByteArrayView& input, qsizetype count)
{
    const QByteArrayView taken = input.first(qMin(count, input.size()));
    input = input.sliced(taken.size());
    return taken;
}

// The next byte, or 0 once the input is used up.
inline std::uint8_t TakeByte(QByteArrayView& input)
{
    const QByteArrayView byte = TakeBytes(input, 1);
    return byte.isEmpty() ? 0 : static_cast<std::uint8_t>(byte.front());
}

} // namespace netsonde::fuzz
