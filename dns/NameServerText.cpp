// SPDX-License-Identifier: GPL-3.0-or-later
#include "dns/NameServerText.h"

#include <algorithm>

namespace netsonde {

namespace {

constexpr int kMaxPortDigits = 5;

std::optional<std::uint16_t> PortOf(QStringView text)
{
    const bool digits = !text.isEmpty() && text.size() <= kMaxPortDigits
                        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    const int port = digits ? text.toInt() : 0;
    if (port < 1 || port > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

std::optional<NameServerText> WithPort(const QString& host, QStringView port)
{
    const std::optional<std::uint16_t> number = PortOf(port);
    if (!number)
        return std::nullopt;
    return NameServerText{host, *number};
}

} // namespace

std::optional<NameServerText> SplitNameServerText(const QString& text)
{
    const qsizetype close = text.startsWith(u'[') ? text.indexOf(u']') : -1;
    if (close > 0) {
        const QString host = text.sliced(1, close - 1);
        if (close + 1 == text.size())
            return NameServerText{host};
        if (text.at(close + 1) == u':')
            return WithPort(host, QStringView(text).sliced(close + 2));
    }
    if (text.count(u':') != 1)
        return NameServerText{text};
    const qsizetype colon = text.indexOf(u':');
    return WithPort(text.first(colon), QStringView(text).sliced(colon + 1));
}

} // namespace netsonde
