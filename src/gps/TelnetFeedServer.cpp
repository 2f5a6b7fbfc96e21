#include "gps/TelnetFeedServer.h"
#include "gps/TelnetCodes.h"

#include <QTcpSocket>
#include <memory>

namespace {

using namespace TelnetCodes;

enum class TelnetState { Data, Command, Option, SubNegotiation, SubNegotiationIac };

} // namespace

// Where a client's command stream stands between two reads.
struct TTelnetFeedServer::TNegotiation {
    TelnetState state = TelnetState::Data;
    unsigned char command = 0;
};

TTelnetFeedServer::TTelnetFeedServer(QObject* parent)
    : QObject(parent)
{
    connect(&server_, &QTcpServer::newConnection, this, [this] { acceptClients(); });
}

bool TTelnetFeedServer::Listen(const QHostAddress& address, quint16 port)
{
    return server_.listen(address, port);
}

std::vector<QTcpSocket*> TTelnetFeedServer::connectedClients() const
{
    std::vector<QTcpSocket*> clients;
    for (QTcpSocket* client : server_.findChildren<QTcpSocket*>())
        if (client->state() == QAbstractSocket::ConnectedState)
            clients.push_back(client);
    return clients;
}

int TTelnetFeedServer::ClientCount() const
{
    return static_cast<int>(connectedClients().size());
}

bool TTelnetFeedServer::dropIfStalled(QTcpSocket* client)
{
    if (client->bytesToWrite() <= kMaxUnsentBytes)
        return false;
    client->abort();
    client->deleteLater();
    return true;
}

void TTelnetFeedServer::acceptClients()
{
    while (QTcpSocket* client = server_.nextPendingConnection()) {
        auto negotiation = std::make_shared<TNegotiation>();
        connect(client, &QTcpSocket::readyRead, this,
            [this, client, negotiation] { answerNegotiation(client, *negotiation); });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        if (OnClientConnected)
            OnClientConnected();
    }
}

// Refuses whatever the client offers or asks (DO -> WONT, WILL -> DONT) and
// skips sub-negotiations; anything else the client types is ignored.
void TTelnetFeedServer::answerNegotiation(QTcpSocket* client, TNegotiation& negotiation)
{
    TelnetState& state = negotiation.state;
    unsigned char& command = negotiation.command;
    QByteArray answer;
    for (const char c : client->readAll()) {
        const auto byte = static_cast<unsigned char>(c);
        switch (state) {
        case TelnetState::Data:
            if (byte == kIac)
                state = TelnetState::Command;
            break;
        case TelnetState::Command:
            if (byte == kDo || byte == kDont || byte == kWill || byte == kWont) {
                command = byte;
                state = TelnetState::Option;
            } else {
                state = byte == kSb ? TelnetState::SubNegotiation : TelnetState::Data;
            }
            break;
        case TelnetState::Option:
            if (command == kDo || command == kWill) {
                answer.append(static_cast<char>(kIac));
                answer.append(static_cast<char>(command == kDo ? kWont : kDont));
                answer.append(static_cast<char>(byte));
            }
            state = TelnetState::Data;
            break;
        case TelnetState::SubNegotiation:
            if (byte == kIac)
                state = TelnetState::SubNegotiationIac;
            break;
        case TelnetState::SubNegotiationIac:
            state = byte == kSe ? TelnetState::Data : TelnetState::SubNegotiation;
            break;
        }
    }
    if (!answer.isEmpty() && !dropIfStalled(client))
        client->write(answer);
}

void TTelnetFeedServer::Send(std::string_view text)
{
    QByteArray escaped;
    escaped.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        escaped.append(c);
        if (static_cast<unsigned char>(c) == kIac)
            escaped.append(c);
    }
    for (QTcpSocket* client : connectedClients())
        if (!dropIfStalled(client))
            client->write(escaped);
}
