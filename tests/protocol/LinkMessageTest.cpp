// The link layer: framing, buffering of partial messages, and refusal of
// lying headers and malformed login records.
#include "protocol/LinkMessage.h"

#include <QList>

#include <gtest/gtest.h>

using namespace protocol;

namespace {

QByteArray header(quint32 length, quint32 type)
{
    QByteArray out(8, '\0');
    for (int i = 0; i < 4; ++i) {
        out[i] = char((length >> (8 * i)) & 0xFF);
        out[4 + i] = char((type >> (8 * i)) & 0xFF);
    }
    return out;
}

} // namespace

TEST(LinkMessage, HeaderIsTotalLengthThenTypeLittleEndian)
{
    EXPECT_EQ(encodeMessage(kPing), header(8, 9));
    EXPECT_EQ(encodeMessage(kData, "abc"), header(11, 19) + "abc");
    EXPECT_EQ(encodeAnnounce(0x01020304, "\"trimit\""), QByteArray("\x04\x03\x02\x01\"trimit\"", 12));
}

TEST(LinkMessage, MessagesCutAtEveryByteArriveWholeAndInOrder)
{
    const QByteArray stream = encodeMessage(kAskLogin) + encodeMessage(kData, QByteArray(300, 'x'))
        + encodeMessage(kAnnounce, encodeAnnounce(5, "d")) + encodeMessage(kComplete);
    for (qsizetype cut = 1; cut <= stream.size(); ++cut) {
        LinkReader reader;
        QList<LinkMessage> got;
        for (qsizetype pos = 0; pos < stream.size(); pos += cut) {
            ASSERT_TRUE(reader.feed(stream.mid(pos, cut))) << "cut " << cut;
            LinkMessage m;
            while (reader.next(&m))
                got.append(m);
        }
        ASSERT_EQ(got.size(), 4) << "cut " << cut;
        EXPECT_EQ(got[0].type, quint32(kAskLogin));
        EXPECT_EQ(got[1].payload, QByteArray(300, 'x'));
        quint32 size = 0;
        EXPECT_TRUE(decodeAnnounce(got[2].payload, &size));
        EXPECT_EQ(size, 5u);
        EXPECT_EQ(got[3].type, quint32(kComplete));
        EXPECT_EQ(reader.pending(), 0);
    }
}

TEST(LinkMessage, LyingLengthsBreakTheLinkBeforeBuffering)
{
    struct Case {
        const char* name;
        quint32 length;
    };
    const Case cases[] = {
        {"zero", 0},
        {"shorter than the header", 7},
        {"one above a full data packet", kMaxMessageLength + 1},
        {"four gigabytes", 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        LinkReader reader;
        // A valid message first: it is still handed out.
        ASSERT_TRUE(reader.feed(encodeMessage(kPing)));
        LinkMessage m;
        ASSERT_TRUE(reader.next(&m));
        EXPECT_FALSE(reader.feed(header(c.length, kData).left(4))) << c.name;
        EXPECT_TRUE(reader.broken()) << c.name;
        EXPECT_EQ(reader.pending(), 0) << c.name;
        EXPECT_FALSE(reader.feed(QByteArray(1000, 'x'))) << c.name;
        EXPECT_FALSE(reader.next(&m)) << c.name;
    }
}

TEST(LinkMessage, ALyingLengthAfterAValidMessageInTheSameChunkIsCaught)
{
    LinkReader reader;
    ASSERT_TRUE(reader.feed(encodeMessage(kPing) + header(0x7FFFFFFF, kData)));
    LinkMessage m;
    ASSERT_TRUE(reader.next(&m));
    EXPECT_EQ(m.type, quint32(kPing));
    EXPECT_TRUE(reader.broken());
    EXPECT_FALSE(reader.next(&m));
}

TEST(LinkMessage, LoginRecordRoundTripsShortAndLongFields)
{
    const QByteArray user = "092primaria@exemplu.ro";
    const QByteArray room = QByteArray(140, 'r');
    const QByteArray encoded = encodeLogin(user, room);
    EXPECT_EQ(encoded[0], char(6));
    EXPECT_EQ(quint8(encoded[1]), user.size());
    QByteArray u, r;
    ASSERT_TRUE(decodeLogin(encoded, &u, &r));
    EXPECT_EQ(u, user);
    EXPECT_EQ(r, room);

    const QByteArray longRoom(300, 'z');
    const QByteArray encodedLong = encodeLogin(user, longRoom);
    EXPECT_EQ(encodedLong[2 + user.size()], char(12));
    ASSERT_TRUE(decodeLogin(encodedLong, &u, &r));
    EXPECT_EQ(r, longRoom);
}

TEST(LinkMessage, MalformedLoginRecordsAreRefused)
{
    const QByteArray good = encodeLogin("092a@b.ro", "room");
    struct Case {
        const char* name;
        QByteArray payload;
    };
    const Case cases[] = {
        {"empty", {}},
        {"unknown type byte", QByteArray("\x07\x01x\x06\x01y", 6)},
        {"length past the end", QByteArray("\x06\x10x\x06\x01y", 6)},
        {"only one field", QByteArray("\x06\x01x", 3)},
        {"bytes left over", good + "!"},
        {"long field past the end", QByteArray("\x0C\xFF\xFF\xFF\x7F", 5) + "x"},
        {"field above the limit", encodeLogin(QByteArray(2000, 'u'), "r")},
    };
    for (const Case& c : cases) {
        QByteArray u, r;
        EXPECT_FALSE(decodeLogin(c.payload, &u, &r, 1024)) << c.name;
    }
}
