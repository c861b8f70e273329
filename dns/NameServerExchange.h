// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// NS LookUp's exchange with a name server at a known address and port: the
// query over UDP (or over TCP from the start), sent again with a new ID when
// a try brings no answer in time, up to the tries asked for; every message
// checked before it is taken; asked once more without EDNS when the server
// refuses the OPT record, and over TCP when the UDP answer is cut.
//
// Its end arrives as a signal, once:
//   answered  the answer taken and how it was got;
//   failed    the text of the box that ends the run.
// On the way, ignored (a note on a datagram not taken) and statusChanged.
// A receiver may close the exchange; no further signal comes then.

#include "dns/DnsSocket.h"
#include "dns/DnsTcpStream.h"
#include "run/DnsExchange.h"
#include "run/RunInputs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace netsonde {

class NameServerExchange final : public QObject {
    Q_OBJECT
public:
    // The inputs' host, search type, name-server text (for the boxes) and
    // exchange options; the UDP socket of the server's family.
    NameServerExchange(const RunInputs& inputs, std::unique_ptr<DnsSocket> udp);
    ~NameServerExchange() override;

    void Start(const IpAddress& address, std::uint16_t port);
    // Releases the sockets and the timer at once.
    void Close();

Q_SIGNALS:
    void answered(const QByteArray& answer, const netsonde::DnsExchange& exchange);
    void failed(const QString& text);
    void ignored(const QString& note);
    void statusChanged(const QString& text);

private:
    void OnUdpEvent(int error, bool readable);
    void SendQuery();
    void SendOverUdp();
    void ReceiveOverUdp();
    void TakeOverUdp(const QByteArray& answer, const IpAddress& from, std::uint16_t fromPort);
    void OnTcpAnswered(const QByteArray& answer);
    void OnTcpFailed(DnsTcpStream::Step step, int error);
    void OnTimeout();
    bool AskedAgainWithoutEdns(const QByteArray& answer);
    void Ignore(const IpAddress& from, std::uint16_t fromPort, const char* why);
    void Finish(const QByteArray& answer, DnsTransport transport);
    void Fail(const QString& text);
    void FailWithError(const char* format, int error);

    RunInputs m_inputs;
    std::unique_ptr<DnsSocket> m_udp;
    DnsTcpStream m_tcp;
    QTimer m_timer;
    QElapsedTimer m_clock; // from the first query sent
    IpAddress m_address;
    std::uint16_t m_port = 0;
    QByteArray m_query;
    unsigned m_try = 1;
    bool m_edns = false;
    bool m_overTcp = false;
    QByteArray m_cutAnswer; // the UDP answer with TC set, while TCP is asked
    DnsExchange m_exchange;
    // Room for any datagram; pages the kernel never writes stay untouched.
    std::unique_ptr<char[]> m_receiveBuffer;
};

} // namespace netsonde
