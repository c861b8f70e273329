// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What NS LookUp checks in a message from the name server before it takes it
// as the answer to its query, and what the answer asks of the exchange next.
// Every read stays inside the message.

#include <QByteArrayView>

namespace netsonde {

// Why the message is not the answer to the query, or nullptr when it is: it
// must hold a whole header with the query's ID and QR set, and repeat the
// query's question (the name compared with ASCII letters in either case).
const char* AnswerMismatch(QByteArrayView query, QByteArrayView answer);

// The message's header has TC set.
bool IsTruncated(QByteArrayView answer);
// The server refused the query's OPT record: FORMERR or NOTIMP, and no OPT
// record of its own in the message.
bool RefusesEdns(QByteArrayView answer);

} // namespace netsonde
