// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TXT records of a name through the system's name servers, and the reading of
// an answer that carries them.

#include <QByteArray>

#include <cstdint>
#include <span>
#include <vector>

namespace netsonde {

// A TXT answer never yields more records than this.
inline constexpr std::size_t kMaxTxtRecords = 16;

// The TXT records (class IN) of the answer section whose owner is `name`
// (case-insensitive, with or without the final dot) or the target of the one
// CNAME `name` has there; each record's character-strings joined into one.
// The walk ends at the first record or name that runs past the message's end,
// keeping the records before it; a TXT record whose strings overrun its RDATA
// is left out.
std::vector<QByteArray> ParseTxtAnswer(std::span<const std::uint8_t> message, const QByteArray& name);

// Blocks while the system's name servers are asked for the TXT records of
// `name`; empty when the lookup fails or finds none. Safe on any thread.
std::vector<QByteArray> LookUpTxt(const QByteArray& name);

} // namespace netsonde
