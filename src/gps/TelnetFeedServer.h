// A TCP server that speaks plain Telnet to its clients and sends each of them
// the same NMEA text, as a receiver behind a serial-to-network converter does.
// Every option a client asks for is refused; 0xFF in the text is doubled as
// the protocol wants.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <functional>
#include <string_view>
#include <vector>

class QTcpSocket;

class TTelnetFeedServer : public QObject {
public:
    // A client that leaves this much of the feed unread is dropped, so a
    // stalled peer cannot make the server's memory grow without bound.
    static constexpr qint64 kMaxUnsentBytes = 256 * 1024;

    explicit TTelnetFeedServer(QObject* parent = nullptr);

    // False with ErrorText() when the address or port cannot be bound.
    bool Listen(const QHostAddress& address, quint16 port);
    quint16 Port() const { return server_.serverPort(); }
    QString ErrorText() const { return server_.errorString(); }
    int ClientCount() const;

    void Send(std::string_view text);

    std::function<void()> OnClientConnected;

private:
    struct TNegotiation;

    void acceptClients();
    void answerNegotiation(QTcpSocket* client, TNegotiation& negotiation);
    std::vector<QTcpSocket*> connectedClients() const;
    // Drops a client that stopped reading; true when it was dropped.
    bool dropIfStalled(QTcpSocket* client);

    QTcpServer server_;
};
