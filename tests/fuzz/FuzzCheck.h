// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets share, without needing the fuzzer's own headers (the
// seed tests are built with gcc): the entry point each target defines, a
// property check that stops the run at the first broken property, and the
// input split into the few choices a target makes and the bytes it works on.

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace netsonde::fuzz {

// Thrown by a broken property in the seed test, which fails the seed's row
// with the property named.
struct PropertyBroken {
    const char* property;
};

// Under the fuzzer a broken property ends the process, so the fuzzer keeps
// the input that broke it; in the seed test it ends the seed's row.
inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
#ifdef NETSONDE_FUZZ_CORPUS
    throw PropertyBroken{property};
#else
    std::fprintf(stderr, "Property broken: %s\n", property);
    std::fflush(stderr);
    std::abort();
#endif
}

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
