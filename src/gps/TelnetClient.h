// A Telnet client for a position feed: a receiver behind a serial-to-network
// converter sends its NMEA text over it. The client connects without blocking,
// answers the option negotiation itself (terminal type "dumb", every other
// option refused) and hands the received text, protocol bytes removed, to its
// data event on the GUI thread.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <array>
#include <functional>
#include <string>
#include <string_view>

// The Telnet protocol of one connection, without the socket: separates the
// text from the commands and says what to answer. Every answer is bounded, so
// a peer that floods negotiations cannot make the answers grow without limit.
class TTelnetProtocol {
public:
    static constexpr unsigned char kTerminalType = 24;
    // Terminal-type requests answered per connection; more are ignored.
    static constexpr int kMaxTerminalTypeAnswers = 8;
    // A sub-negotiation that has not ended after this many bytes is junk;
    // reading text resumes after it.
    static constexpr int kMaxSubNegotiation = 256;

    // Takes received bytes in any pieces; returns their text and appends to
    // reply what must be sent back.
    std::string Receive(std::string_view bytes, std::string& reply);
    // A new connection starts from scratch.
    void Reset() { *this = TTelnetProtocol(); }

private:
    enum class TState { Data, Command, Option, SubOption, SubData, SubIac };

    void command(unsigned char verb, unsigned char option, std::string& reply);
    void endSubNegotiation(std::string& reply);

    TState state_ = TState::Data;
    unsigned char verb_ = 0;
    unsigned char subOption_ = 0;
    int subLength_ = 0;
    bool subIsSend_ = false;
    bool terminalTypeOn_ = false;
    int terminalTypeAnswers_ = 0;
    // An option refused once is not refused again: peers that repeat their
    // requests get no echo of each one.
    std::array<bool, 256> refusedLocal_ {};
    std::array<bool, 256> refusedRemote_ {};
};

class TTelnetClient : public QObject {
public:
    static constexpr quint16 kDefaultPort = 23;
    // A connect that has neither succeeded nor failed by then fails.
    static constexpr int kConnectTimeoutMs = 10000;
    // Received text is handed on in pieces of at most this size; the socket
    // keeps at most this much unread.
    static constexpr qint64 kReadChunk = 4096;

    explicit TTelnetClient(QObject* parent = nullptr);
    // Closes quietly: the socket's end must not reach handlers of a client
    // that is going away.
    ~TTelnetClient() override;

    QString Host;
    quint16 Port = kDefaultPort;
    const char* Terminal() const { return "dumb"; }

    // Starts connecting to Host and Port; the end comes as OnConnected or as
    // OnError. A connection already open or under way is dropped first.
    void Connect();
    // Closes the connection at once; no event follows.
    void Disconnect();
    bool Connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

    // The text received since the previous event.
    std::function<void(const std::string& text)> OnDataAvailable;
    std::function<void()> OnConnected;
    // A connect that failed; the text says why.
    std::function<void(const QString& message)> OnError;
    // A connection that was open and ended without Disconnect (the peer
    // closed it, the network went away); the text says why, in Portuguese.
    // The text received before the end has been handed on.
    std::function<void(const QString& reason)> OnLost;

private:
    void readAvailable();
    void fail(const QString& reason);
    void lose(QAbstractSocket::SocketError error);

    QTcpSocket socket_;
    // Connected since the last Connect, and not yet disconnected or lost.
    bool established_ = false;
    QTimer connectTimer_;
    TTelnetProtocol protocol_;
};
