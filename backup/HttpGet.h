// HTTP download of one address into a file, used for the remote backup
// server's address and for sending a suggestion.
#pragma once

#include <QString>

// 0 when the reply was saved into file, 1 when the server answered but the
// file cannot be written, 2 when no reply came (no connection, an HTTP error
// status, no answer within timeoutMs, or a reply longer than maxBytes, which
// is broken off and not kept). The request carries the agent name "Sugestii"
// and is always answered from the network, never from a cache.
int HttpGetToFile(const QString& url, const QString& file, int timeoutMs = 60000, qint64 maxBytes = 1024 * 1024);
