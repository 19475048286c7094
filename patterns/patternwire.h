#pragma once
// The network pattern generator's wire format: discovery datagrams, the
// information reply, command texts and the "::"-terminated TCP replies.
// Pure functions over bytes; every byte comes from the network and is
// checked before it is believed.

#include <QByteArray>
#include <QColor>
#include <QHostAddress>
#include <QImage>
#include <QRect>
#include <QString>

namespace patternwire {

constexpr quint16 defaultPort = 8888; // UDP discovery and TCP commands
constexpr const char *identity = "Torva Pat";
constexpr const char *discoveryRequest = "getInfo";
constexpr const char *terminator = "::";

// Longest information line we accept; real ones are a few dozen bytes.
constexpr int maxInfoLength = 256;
// A reply longer than this is refused rather than buffered without end.
constexpr int maxReplyLength = 64 * 1024;
// Pattern area sizes beyond this are not a display.
constexpr int maxDimension = 65535;

// The command port and the discovery destination, which the environment can
// redirect (TINTWELL_PATTERN_PORT, TINTWELL_DISCOVERY_ADDRESS) so tests and
// demos stay off port 8888 and on the loopback broadcast. Invalid values
// fall back to the defaults.
quint16 port();
QHostAddress discoveryAddress();

// The five fields of an information reply.
struct Info {
    QString model;
    QString serialNumber;
    QString manufacturer;
    int width = 0;
    int height = 0;
};

// An information line without its terminator: exactly five comma-separated
// printable fields, width and height plain decimal numbers. False for
// anything else (and info is left alone). The identity is the caller's check.
bool parseInfo(const QByteArray &line, Info *info);

// A discovery answer: the same line, unterminated, from a generator (first
// field the identity). Only identity and serial number are used, but the
// whole line must be well formed.
bool parseDiscoveryAnswer(const QByteArray &datagram, Info *info);

// Command texts, Latin-1, without any terminator.
QByteArray setPatternCommand(int pattern);
QByteArray setColorCommand(const QColor &color);
// The same command with code values of any depth the generator was told by
// setMaxColor (1023 for 10-bit patches).
QByteArray setColorCommand(int red, int green, int blue);
QByteArray setMaxColorCommand(int max);
QByteArray setBoxSizeCommand(const QRect &box);
QByteArray setCheckerBoardCommand(int columns, int rows);
// "sendImg," followed by the PNG file as lower-case hex text.
QByteArray sendImageCommand(const QByteArray &png);
QByteArray sendImageCommand(const QImage &image);

// Cuts what a connection delivers into its "::"-terminated replies, in the
// order they arrive, so that each can be matched to the command it answers
// (a reply that comes late belongs to an earlier command, not the next one).
class ReplyStream {
public:
    // Appends what arrived. False, with everything dropped, when the bytes
    // that have no terminator yet grow past maxReplyLength: a flood.
    bool feed(const QByteArray &bytes);
    // Takes the oldest complete reply, without its terminator, as Latin-1.
    bool next(QString *reply);
    // Bytes of a reply still waiting for its terminator.
    int partialLength() const { return m_buffer.size() - m_taken; }
    void clear();

private:
    QByteArray m_buffer;
    int m_taken = 0; // bytes at the front already handed out
};

} // namespace patternwire
