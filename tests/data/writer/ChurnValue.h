// The value the churning writer stores: a long, self-checking text for a
// generation number, so that a file cut or mixed by a crash cannot pass for a
// valid generation. Values are large (a kill lands inside the write of one)
// and of different lengths (a shorter value written over a longer one in
// place would leave the longer one's tail).
#pragma once

#include <QByteArray>

inline QByteArray churnValue(long long generation)
{
    const QByteArray number = QByteArray::number(generation);
    QByteArray value = number + ':';
    const qsizetype length = 100000 + (generation % 5) * 50000;
    while (value.size() < length)
        value += number + '.';
    return value + "end";
}

// The generation of a value churnValue wrote; -1 for anything else.
inline long long churnGeneration(const QByteArray& value)
{
    const qsizetype colon = value.indexOf(':');
    bool ok = false;
    const long long generation = colon > 0 ? value.left(colon).toLongLong(&ok) : -1;
    return ok && churnValue(generation) == value ? generation : -1;
}
