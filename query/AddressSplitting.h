// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Smart Address Splitting: "user@host" typed into either field of the
// Finger and WhoIs pages is divided at its first "@".

#include <QString>

#include <optional>

namespace netsonde {

struct UserAndHost {
    QString user;
    QString host;
};

// The text before and after the first "@", or nothing when there is none.
std::optional<UserAndHost> SplitAtFirstAt(const QString& text);

} // namespace netsonde
