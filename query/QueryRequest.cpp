// SPDX-License-Identifier: GPL-3.0-or-later
#include "query/QueryRequest.h"

namespace netsonde {

namespace {

constexpr char kVerbosePrefix[] = "/W ";
constexpr char kLineEnd[] = "\r\n";

bool UsesFirewall(const QueryFields& fields)
{
    return fields.function != QueryFunction::QuoteOfDay && !fields.firewallHost.isEmpty();
}

QByteArray BuildRequest(const QueryFields& fields)
{
    if (fields.function == QueryFunction::QuoteOfDay)
        return {};

    QByteArray request;
    if (fields.function == QueryFunction::Finger && fields.verbose)
        request += kVerbosePrefix;
    request += fields.user.toUtf8();
    if (UsesFirewall(fields))
        request += '@' + fields.host.toUtf8();
    request += kLineEnd;
    return request;
}

} // namespace

std::uint16_t QueryPort(QueryFunction function)
{
    switch (function) {
    case QueryFunction::Finger:
        return 79;
    case QueryFunction::WhoIs:
        return 43;
    case QueryFunction::QuoteOfDay:
        return 17;
    }
    return 0;
}

QueryPlan BuildQueryPlan(const QueryFields& fields)
{
    QueryPlan plan;
    plan.targetHost = UsesFirewall(fields) ? fields.firewallHost : fields.host;
    plan.port = QueryPort(fields.function);
    plan.request = BuildRequest(fields);
    return plan;
}

} // namespace netsonde
