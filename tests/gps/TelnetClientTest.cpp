// The Telnet client of the network feed: its option negotiation byte for byte,
// and real connections on loopback with well-behaved and hostile peers.
#include "NmeaTestSupport.h"

#include "gps/TelnetClient.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr char IAC = '\xFF';
constexpr char DONT = '\xFE';
constexpr char DO = '\xFD';
constexpr char WONT = '\xFC';
constexpr char WILL = '\xFB';
constexpr char SB = '\xFA';
constexpr char SE = '\xF0';
constexpr char NOP = '\xF1';
constexpr char TTYPE = 24;
constexpr char ECHO = 1;

std::string bytes(std::initializer_list<char> list)
{
    return std::string(list);
}

const std::string kTerminalTypeSend = bytes({ IAC, SB, TTYPE, 1, IAC, SE });
const std::string kTerminalTypeIsDumb = bytes({ IAC, SB, TTYPE, 0 }) + "dumb" + bytes({ IAC, SE });

struct Received {
    std::string text;
    std::string reply;
};

Received receiveWhole(std::string_view input)
{
    TTelnetProtocol protocol;
    Received r;
    r.text = protocol.Receive(input, r.reply);
    return r;
}

Received receiveByteByByte(std::string_view input)
{
    TTelnetProtocol protocol;
    Received r;
    for (const char c : input)
        r.text += protocol.Receive(std::string_view(&c, 1), r.reply);
    return r;
}

// A one-connection Telnet server on loopback; records what the client sends.
struct Peer {
    Peer()
    {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            socket.reset(server.nextPendingConnection());
            QObject::connect(socket.get(), &QTcpSocket::readyRead, [this] { received += socket->readAll(); });
        });
    }
    void Send(const std::string& data) { socket->write(data.data(), static_cast<qint64>(data.size())); }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> socket;
    QByteArray received;
};

struct Client {
    explicit Client(quint16 port)
    {
        telnet.Host = QStringLiteral("127.0.0.1");
        telnet.Port = port;
        telnet.OnConnected = [this] { ++connects; };
        telnet.OnDataAvailable = [this](const std::string& piece) {
            largestPiece = std::max(largestPiece, piece.size());
            text += piece;
        };
        telnet.OnError = [this](const QString& message) { errors.push_back(message); };
        telnet.OnLost = [this](const QString& reason) {
            lost.push_back(reason);
            textWhenLost = text;
        };
    }
    TTelnetClient telnet;
    int connects = 0;
    std::string text;
    std::size_t largestPiece = 0;
    std::vector<QString> errors;
    std::vector<QString> lost;
    std::string textWhenLost;
};

} // namespace

TEST(TelnetProtocol, AnswersTerminalTypeDumbAndRefusesEverythingElse)
{
    struct Case {
        const char* what;
        std::string input, text, reply;
    };
    const Case cases[] = {
        { "plain text", "$GPRMC,1\r\n", "$GPRMC,1\r\n", "" },
        { "escaped 255", bytes({ 'a', IAC, IAC, 'b' }), bytes({ 'a', IAC, 'b' }), "" },
        { "terminal type", bytes({ IAC, DO, TTYPE }), "", bytes({ IAC, WILL, TTYPE }) },
        { "terminal type asked", bytes({ IAC, DO, TTYPE }) + kTerminalTypeSend, "",
            bytes({ IAC, WILL, TTYPE }) + kTerminalTypeIsDumb },
        { "asked without agreement", kTerminalTypeSend, "", "" },
        { "terminal type withdrawn", bytes({ IAC, DO, TTYPE, IAC, DONT, TTYPE }), "",
            bytes({ IAC, WILL, TTYPE, IAC, WONT, TTYPE }) },
        { "other option asked", bytes({ IAC, DO, ECHO, IAC, DO, ECHO }), "", bytes({ IAC, WONT, ECHO }) },
        { "other option offered", bytes({ IAC, WILL, 3, IAC, WILL, 3 }), "", bytes({ IAC, DONT, 3 }) },
        { "refusals need no answer", bytes({ IAC, WONT, 3, IAC, DONT, 5 }), "", "" },
        { "commands inside text", "$GP" + bytes({ IAC, DO, ECHO, IAC, NOP }) + "RMC", "$GPRMC",
            bytes({ IAC, WONT, ECHO }) },
        { "other sub-negotiation", "a" + bytes({ IAC, SB, 31, 0, 80, IAC, IAC, IAC, SE }) + "b", "ab", "" },
        { "endless sub-negotiation", bytes({ IAC, SB, 31 }) + std::string(300, 'x') + "$GP",
            // the byte past the limit ends it
            std::string(300 - TTelnetProtocol::kMaxSubNegotiation - 1, 'x') + "$GP", "" },
    };
    for (const Case& c : cases) {
        for (const Received& r : { receiveWhole(c.input), receiveByteByByte(c.input) }) {
            EXPECT_EQ(r.text, c.text) << c.what;
            EXPECT_EQ(r.reply, c.reply) << c.what;
        }
    }
}

TEST(TelnetProtocol, AFloodOfRequestsGetsBoundedAnswers)
{
    std::string flood;
    for (int i = 0; i < 100000; ++i)
        flood += bytes({ IAC, (i % 2 ? DO : WILL), static_cast<char>(i % 256) });
    for (int i = 0; i < 1000; ++i)
        flood += kTerminalTypeSend;
    const Received r = receiveWhole(flood);
    EXPECT_EQ(r.text, "");
    // Each option refused or agreed once per direction, a few terminal types.
    EXPECT_LE(r.reply.size(),
        2 * 256 * 3 + TTelnetProtocol::kMaxTerminalTypeAnswers * kTerminalTypeIsDumb.size());
}

TEST(TelnetClient, NegotiatesAndDeliversTheTextOverLoopback)
{
    Peer peer;
    Client client(peer.server.serverPort());
    client.telnet.Connect();
    ASSERT_TRUE(waitFor([&] { return peer.socket && client.connects == 1; }, 5000));
    EXPECT_TRUE(client.telnet.Connected());
    peer.Send(bytes({ IAC, DO, TTYPE }) + kTerminalTypeSend + bytes({ IAC, WILL, ECHO, IAC, DO, 31 })
        + "$GPRMC,1*00\r\n$GP" + bytes({ IAC, NOP }) + "GGA,2\r\n");
    const std::string answers
        = bytes({ IAC, WILL, TTYPE }) + kTerminalTypeIsDumb + bytes({ IAC, DONT, ECHO, IAC, WONT, 31 });
    ASSERT_TRUE(waitFor([&] { return peer.received.size() >= static_cast<qsizetype>(answers.size()); }, 5000));
    EXPECT_EQ(peer.received.toStdString(), answers);
    ASSERT_TRUE(waitFor([&] { return client.text.size() >= 22; }, 5000));
    EXPECT_EQ(client.text, "$GPRMC,1*00\r\n$GPGGA,2\r\n");
    EXPECT_TRUE(client.errors.empty());

    client.telnet.Disconnect();
    EXPECT_FALSE(client.telnet.Connected());
    EXPECT_TRUE(waitFor([&] { return peer.socket->state() != QAbstractSocket::ConnectedState; }, 5000));
}

TEST(TelnetClient, AFailedConnectSaysWhyAndTheNextOneWorks)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        closedPort = probe.serverPort();
    }
    Client client(closedPort);
    client.telnet.Connect();
    ASSERT_TRUE(waitFor([&] { return !client.errors.empty(); }, 5000));
    EXPECT_EQ(client.errors[0], QStringLiteral("Connection refused"));
    EXPECT_FALSE(client.telnet.Connected());
    EXPECT_EQ(client.connects, 0);

    Peer peer;
    client.telnet.Port = peer.server.serverPort();
    client.telnet.Connect();
    EXPECT_TRUE(waitFor([&] { return client.connects == 1; }, 5000));
    EXPECT_EQ(client.errors.size(), 1u);
}

TEST(TelnetClient, HostilePeersNeitherHangNorGrowIt)
{
    Peer peer;
    Client client(peer.server.serverPort());
    client.telnet.Connect();
    ASSERT_TRUE(waitFor([&] { return peer.socket != nullptr && client.connects == 1; }, 5000));

    // An option flood, a megabyte without a line end, binary junk: all of it
    // is read and handed on in small pieces, with bounded answers.
    std::string flood;
    for (int i = 0; i < 50000; ++i)
        flood += bytes({ IAC, (i % 2 ? DO : WILL), static_cast<char>(i % 256) });
    peer.Send(flood);
    peer.Send(std::string(1 << 20, 'A'));
    std::string junk;
    for (int i = 0; i < 100000; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    peer.Send(junk);
    peer.Send("\r\n$GPRMC,end\r\n");
    ASSERT_TRUE(waitFor([&] { return client.text.find("$GPRMC,end") != std::string::npos; }, 20000));
    EXPECT_LE(client.largestPiece, static_cast<std::size_t>(TTelnetClient::kReadChunk));
    EXPECT_GE(client.text.size(), std::size_t { 1 << 20 });
    EXPECT_LE(peer.received.size(), 2 * 256 * 3 + 100);
    EXPECT_TRUE(client.errors.empty());

    // A close in the middle of a negotiation is a lost connection, no more.
    peer.Send(bytes({ IAC, SB, TTYPE }));
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return !client.lost.empty(); }, 5000));
    EXPECT_EQ(client.lost, std::vector<QString> { QStringLiteral("o servidor fechou a conexão") });
    EXPECT_TRUE(client.errors.empty());
    EXPECT_FALSE(client.telnet.Connected());

    // The next connection starts its negotiation afresh.
    client.telnet.Connect();
    ASSERT_TRUE(waitFor([&] { return client.connects == 2 && peer.socket->state() == QAbstractSocket::ConnectedState; }, 5000));
    peer.received.clear();
    peer.Send(bytes({ IAC, DO, ECHO }));
    EXPECT_TRUE(waitFor([&] { return peer.received == QByteArray::fromStdString(bytes({ IAC, WONT, ECHO })); }, 5000));
}

TEST(TelnetClient, APeerThatClosesAfterSendingIsALostConnectionWithAllItsText)
{
    Peer peer;
    Client client(peer.server.serverPort());
    client.telnet.Connect();
    ASSERT_TRUE(waitFor([&] { return peer.socket != nullptr && client.connects == 1; }, 5000));
    std::string sent;
    for (int i = 0; i < 200; ++i)
        sent += "$GPRMC,1200" + std::to_string(i % 60) + ",A,4807.038,N,01131.000,E,022.4,084.4,230394,,*00\r\n";
    peer.Send(sent);
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return !client.lost.empty(); }, 5000));
    EXPECT_EQ(client.textWhenLost, sent);
    EXPECT_EQ(client.lost, std::vector<QString> { QStringLiteral("o servidor fechou a conexão") });
    EXPECT_TRUE(client.errors.empty());
    EXPECT_FALSE(client.telnet.Connected());
    // Lost once: nothing more follows.
    EXPECT_FALSE(waitFor([&] { return client.lost.size() > 1 || !client.errors.empty(); }, 200));
}

TEST(TelnetClient, APeerThatNeverSendsLeavesItConnectedAndQuiet)
{
    Peer peer;
    Client client(peer.server.serverPort());
    client.telnet.Connect();
    ASSERT_TRUE(waitFor([&] { return client.connects == 1; }, 5000));
    EXPECT_FALSE(waitFor([&] { return !client.text.empty() || !client.errors.empty(); }, 300));
    EXPECT_TRUE(client.telnet.Connected());
    client.telnet.Disconnect();
    EXPECT_FALSE(waitFor([&] { return !client.errors.empty() || !client.lost.empty(); }, 200));
}
