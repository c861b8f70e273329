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

// A broken property ends the process, so the fuzzer keeps the input that
// broke it and the seed test fails with the property named.
inline void Require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "Property broken: %s\n", property);
    std::fflush(stderr);
    std::abort();
}

} // namespace netsonde::fuzz
