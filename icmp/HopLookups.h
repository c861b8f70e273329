// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The lookups of a trace's hop addresses: the host name (with Resolve on) and
// the AS number (with Show AS numbers on). Names of all hops are looked up at
// once, AS numbers at most kMaxAsnLookups at a time; each address is looked up
// once per run. Only public addresses are sent to the origin zones.

#include "icmp/AsnLookup.h"
#include "icmp/BackgroundLookups.h"
#include "icmp/IcmpRun.h"
#include "run/ResultColumns.h"
#include "run/RunInputs.h"

#include <QString>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace netsonde {

inline constexpr int kMaxAsnLookups = 4;
inline constexpr int kMaxNameLookups = 64;

AsnZones ZonesOf(const RunInputs& inputs);

// The AS text of an address, looked up while the run's wake allows; none when the
// address is not sent, the zone has nothing or the run was woken.
std::optional<QString> LookUpOriginUnlessWoken(IcmpRun& run, const IpAddress& address, const AsnZones& zones);

// A cell whose lookup has ended.
struct HopCell {
    unsigned hop = 0;
    ResultColumn column = ResultColumn::HostName;
    QString text;
};

class HopLookups {
public:
    HopLookups(const RunInputs& inputs, const HostLookups& lookups);

    // Starts what the inputs ask for the hop's address.
    void Request(unsigned hop, const IpAddress& address);
    // The cells of lookups that have ended since the last call.
    std::vector<HopCell> TakeCells();
    // Readable while ended lookups wait to be taken.
    int PollDescriptor() const { return m_jobs.PollDescriptor(); }
    bool IsIdle() const { return m_jobs.IsIdle() && m_queuedAsn.empty(); }

private:
    enum class Kind { Name = 0, Asn = 1 };

    // One address's lookup of one kind, and the hops waiting for it.
    struct AddressLookup {
        Kind kind = Kind::Name;
        IpAddress address;
        std::vector<unsigned> hops;
        std::optional<QString> text;
        bool ended = false;
    };

    void Start(Kind kind, unsigned hop, const IpAddress& address);
    void Submit(int key);
    void StartQueuedAsn();
    void End(int key, const std::optional<QString>& text);
    void AddCell(const AddressLookup& lookup, unsigned hop);

    const bool m_resolve;
    const bool m_showAsNumbers;
    const AsnZones m_zones;
    const HostLookups m_hostLookups;
    BackgroundLookups m_jobs;
    std::map<std::pair<Kind, std::string>, int> m_keys; // the key of each address's lookup of each kind
    std::vector<AddressLookup> m_lookups;               // by key
    std::deque<int> m_queuedAsn;
    int m_runningAsn = 0;
    std::vector<HopCell> m_cells;
};

} // namespace netsonde
