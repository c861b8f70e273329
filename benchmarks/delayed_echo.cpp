// SPDX-License-Identifier: GPL-3.0-or-later
// Answers echo requests in the lab's destination namespace after a chosen
// delay, standing in for a slow link (this kernel has no netem). Runs until
// its standard input closes.
//
// Usage: bench_delayed_echo DELAY_MS   (inside the lab, as root)

#include "icmp/LabEchoPeers.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char* argv[])
{
    const char* destination = std::getenv("NETSONDE_LAB_NS_DESTINATION");
    if (argc != 2 || !destination) {
        std::fprintf(stderr, "usage: bench_delayed_echo DELAY_MS (inside the namespace lab)\n");
        return 2;
    }
    const netsonde::test::CDelayedEchoResponder responder(QString::fromLocal8Bit(destination),
                                                          std::chrono::milliseconds(std::atoi(argv[1])));
    if (!responder.IsRunning()) {
        std::fprintf(stderr, "bench_delayed_echo: cannot answer in %s\n", destination);
        return 1;
    }
    char byte;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}
