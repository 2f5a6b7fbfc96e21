#include "gps/TelnetClient.h"
#include "gps/TelnetCodes.h"

namespace {

using namespace TelnetCodes;
// Terminal-type sub-negotiation: the server sends SEND, the client IS.
constexpr unsigned char kIs = 0;
constexpr unsigned char kSend = 1;

void answer(std::string& reply, unsigned char verb, unsigned char option)
{
    reply += static_cast<char>(kIac);
    reply += static_cast<char>(verb);
    reply += static_cast<char>(option);
}

} // namespace

std::string TTelnetProtocol::Receive(std::string_view bytes, std::string& reply)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (state_) {
        case TState::Data:
            if (byte == kIac)
                state_ = TState::Command;
            else
                text += c;
            break;
        case TState::Command:
            if (byte == kIac) {
                text += c; // an escaped 255 is text
                state_ = TState::Data;
            } else if (byte == kDo || byte == kDont || byte == kWill || byte == kWont) {
                verb_ = byte;
                state_ = TState::Option;
            } else if (byte == kSb) {
                state_ = TState::SubOption;
            } else {
                state_ = TState::Data; // NOP, GA, DM, ...: nothing to do
            }
            break;
        case TState::Option:
            command(verb_, byte, reply);
            state_ = TState::Data;
            break;
        case TState::SubOption:
            subOption_ = byte;
            subLength_ = 0;
            subIsSend_ = false;
            state_ = TState::SubData;
            break;
        case TState::SubData:
            if (byte == kIac) {
                state_ = TState::SubIac;
                break;
            }
            if (subLength_++ == 0)
                subIsSend_ = byte == kSend;
            if (subLength_ > kMaxSubNegotiation)
                state_ = TState::Data;
            break;
        case TState::SubIac:
            if (byte == kSe) {
                endSubNegotiation(reply);
                state_ = TState::Data;
            } else {
                // IAC IAC inside: a data byte of the sub-negotiation.
                ++subLength_;
                state_ = subLength_ > kMaxSubNegotiation ? TState::Data : TState::SubData;
            }
            break;
        }
    }
    return text;
}

void TTelnetProtocol::command(unsigned char verb, unsigned char option, std::string& reply)
{
    switch (verb) {
    case kDo:
        if (option == kTerminalType) {
            if (!terminalTypeOn_) {
                terminalTypeOn_ = true;
                answer(reply, kWill, option);
            }
        } else if (!refusedLocal_[option]) {
            refusedLocal_[option] = true;
            answer(reply, kWont, option);
        }
        break;
    case kDont:
        if (option == kTerminalType && terminalTypeOn_) {
            terminalTypeOn_ = false;
            answer(reply, kWont, option);
        }
        break;
    case kWill:
        if (!refusedRemote_[option]) {
            refusedRemote_[option] = true;
            answer(reply, kDont, option);
        }
        break;
    default: // WONT: the option is off already
        break;
    }
}

void TTelnetProtocol::endSubNegotiation(std::string& reply)
{
    if (subOption_ != kTerminalType || !subIsSend_ || subLength_ != 1 || !terminalTypeOn_
        || terminalTypeAnswers_ >= kMaxTerminalTypeAnswers)
        return;
    ++terminalTypeAnswers_;
    reply += static_cast<char>(kIac);
    reply += static_cast<char>(kSb);
    reply += static_cast<char>(kTerminalType);
    reply += static_cast<char>(kIs);
    reply += "dumb";
    reply += static_cast<char>(kIac);
    reply += static_cast<char>(kSe);
}

TTelnetClient::TTelnetClient(QObject* parent)
    : QObject(parent)
{
    socket_.setReadBufferSize(kReadChunk);
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this,
        [this] { fail(QStringLiteral("servidor não responde (%1 s)").arg(kConnectTimeoutMs / 1000)); });
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        connectTimer_.stop();
        established_ = true;
        if (OnConnected)
            OnConnected();
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &TTelnetClient::readAvailable);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (established_)
            lose(error);
        else
            fail(socket_.errorString());
    });
    // A close without an error report first is a close by the peer.
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        if (established_)
            lose(QAbstractSocket::RemoteHostClosedError);
    });
}

TTelnetClient::~TTelnetClient()
{
    Disconnect();
}

void TTelnetClient::Connect()
{
    Disconnect();
    protocol_.Reset();
    connectTimer_.start(kConnectTimeoutMs);
    socket_.connectToHost(Host, Port);
}

void TTelnetClient::Disconnect()
{
    established_ = false;
    connectTimer_.stop();
    socket_.abort();
}

void TTelnetClient::fail(const QString& reason)
{
    // A failure lets go of the socket before anyone hears of it, so the
    // handler may connect again at once.
    Disconnect();
    if (OnError)
        OnError(reason);
}

void TTelnetClient::lose(QAbstractSocket::SocketError error)
{
    QString reason;
    switch (error) {
    case QAbstractSocket::RemoteHostClosedError:
        reason = QStringLiteral("o servidor fechou a conexão");
        break;
    case QAbstractSocket::NetworkError:
        reason = QStringLiteral("falha na rede");
        break;
    case QAbstractSocket::SocketTimeoutError:
        reason = QStringLiteral("a rede não responde");
        break;
    default:
        reason = socket_.errorString();
    }
    // What arrived before the end still counts.
    established_ = false;
    readAvailable();
    Disconnect();
    if (OnLost)
        OnLost(reason);
}

void TTelnetClient::readAvailable()
{
    // The handler may disconnect; the loop then ends with nothing to read.
    while (socket_.bytesAvailable() > 0) {
        const QByteArray bytes = socket_.read(kReadChunk);
        std::string reply;
        const std::string text
            = protocol_.Receive(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), reply);
        if (!reply.empty())
            socket_.write(reply.data(), static_cast<qint64>(reply.size()));
        if (!text.empty() && OnDataAvailable)
            OnDataAvailable(text);
    }
}
