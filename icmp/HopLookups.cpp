// SPDX-License-Identifier: GPL-3.0-or-later
#include "icmp/HopLookups.h"

#include "platform/resolver/TxtLookup.h"
#include "platform/resolver/WakeableLookup.h"

namespace netsonde {

namespace {

// The AS text of an address: none when it is not sent or the zone has nothing.
std::optional<QString> LookUpOrigin(const IpAddress& address, const AsnZones& zones)
{
    const std::optional<QByteArray> name = OriginQueryName(address, zones);
    return name ? OriginAsText(LookUpTxt(*name)) : std::nullopt;
}

} // namespace

AsnZones ZonesOf(const RunInputs& inputs)
{
    return {inputs.asnZone, inputs.asnZone6};
}

// The wakeable lookup carries the AS text as a host entry's name.
std::optional<QString> LookUpOriginUnlessWoken(IcmpRun& run, const IpAddress& address, const AsnZones& zones)
{
    if (!IsAsnLookupAllowed(address))
        return std::nullopt;
    bool woken = false;
    const LookupOutcome outcome = run.LookUpUnlessWoken(
        [address, zones] {
            const std::optional<QString> origin = LookUpOrigin(address, zones);
            return origin ? LookupOutcome{kLookupSucceeded, {*origin, {}, {}}} : LookupOutcome{kLookupNoData, {}};
        },
        &woken);
    if (woken || outcome.errorCode != kLookupSucceeded)
        return std::nullopt;
    return outcome.entry.officialName;
}

HopLookups::HopLookups(const RunInputs& inputs, const HostLookups& lookups)
    : m_resolve(inputs.resolve), m_showAsNumbers(inputs.showAsNumbers), m_zones(ZonesOf(inputs)),
      m_hostLookups(lookups), m_jobs(kMaxNameLookups + kMaxAsnLookups)
{
}

void HopLookups::Request(unsigned hop, const IpAddress& address)
{
    if (m_resolve)
        Start(Kind::Name, hop, address);
    if (m_showAsNumbers && IsAsnLookupAllowed(address))
        Start(Kind::Asn, hop, address);
}

// An address already asked for is not asked again: the hop waits for its answer.
void HopLookups::Start(Kind kind, unsigned hop, const IpAddress& address)
{
    const auto [found, added] = m_keys.try_emplace({kind, IpAddressText(address)}, static_cast<int>(m_lookups.size()));
    if (!added) {
        AddressLookup& lookup = m_lookups[static_cast<std::size_t>(found->second)];
        lookup.hops.push_back(hop);
        if (lookup.ended)
            AddCell(lookup, hop);
        return;
    }
    m_lookups.push_back({kind, address, {hop}, std::nullopt, false});
    if (kind == Kind::Name) {
        Submit(found->second);
        return;
    }
    m_queuedAsn.push_back(found->second);
    StartQueuedAsn();
}

void HopLookups::Submit(int key)
{
    const AddressLookup& lookup = m_lookups[static_cast<std::size_t>(key)];
    BackgroundLookups::Job job;
    if (lookup.kind == Kind::Name) {
        job = [byAddress = m_hostLookups.byAddress, address = lookup.address]() -> std::optional<QString> {
            const LookupOutcome outcome = byAddress(address);
            return outcome.errorCode == kLookupSucceeded ? std::optional(outcome.entry.officialName) : std::nullopt;
        };
    } else {
        job = [address = lookup.address, zones = m_zones] { return LookUpOrigin(address, zones); };
    }
    if (!m_jobs.Submit(key, std::move(job)))
        End(key, std::nullopt);
}

void HopLookups::StartQueuedAsn()
{
    while (!m_queuedAsn.empty() && m_runningAsn < kMaxAsnLookups) {
        const int key = m_queuedAsn.front();
        m_queuedAsn.pop_front();
        ++m_runningAsn;
        Submit(key);
    }
}

std::vector<HopCell> HopLookups::TakeCells()
{
    for (BackgroundLookups::Finished& finished : m_jobs.TakeFinished())
        End(finished.key, finished.text);
    StartQueuedAsn();
    return std::exchange(m_cells, {});
}

void HopLookups::End(int key, const std::optional<QString>& text)
{
    AddressLookup& lookup = m_lookups[static_cast<std::size_t>(key)];
    if (lookup.ended)
        return;
    lookup.ended = true;
    lookup.text = text;
    if (lookup.kind == Kind::Asn)
        --m_runningAsn;
    for (const unsigned hop : lookup.hops)
        AddCell(lookup, hop);
}

// A name not found reads "Unavailable"; an AS not found leaves its cell empty.
void HopLookups::AddCell(const AddressLookup& lookup, unsigned hop)
{
    if (lookup.kind == Kind::Name)
        m_cells.push_back({hop, ResultColumn::HostName, lookup.text.value_or(QStringLiteral("Unavailable"))});
    else if (lookup.text)
        m_cells.push_back({hop, ResultColumn::AutonomousSystem, *lookup.text});
}

} // namespace netsonde
