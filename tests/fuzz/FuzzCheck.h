// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets share: a property check that stops the run at the
// first broken property, and the entry point each target defines.

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

} // namespace netsonde::fuzz
