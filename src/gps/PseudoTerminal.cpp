#include "gps/PseudoTerminal.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

TPseudoTerminal::~TPseudoTerminal()
{
    Close();
}

bool TPseudoTerminal::Open()
{
    Close();
    errorText_.clear();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char* slaveName = nullptr;
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0
        || (slaveName = ::ptsname(master)) == nullptr) {
        errorText_ = QStringLiteral("Não foi possível criar um pseudoterminal: %1.")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
        if (master >= 0)
            ::close(master);
        return false;
    }
    master_ = master;
    slavePath_ = QFile::decodeName(slaveName);
    // Termios requests on the master act on the slave side.
    termios settings {};
    if (::tcgetattr(master_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(master_, TCSANOW, &settings);
    }
    // Until the slave has been opened once the master reports no hang-up, so
    // HasReader could not tell "nobody yet" from "somebody".
    const int slave = ::open(slaveName, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0)
        ::close(slave);
    return true;
}

void TPseudoTerminal::Close()
{
    if (master_ >= 0)
        ::close(std::exchange(master_, -1));
    slavePath_.clear();
}

bool TPseudoTerminal::HasReader() const
{
    if (master_ < 0)
        return false;
    pollfd state { master_, POLLOUT, 0 };
    return ::poll(&state, 1, 0) >= 0 && (state.revents & POLLHUP) == 0;
}

std::size_t TPseudoTerminal::Write(std::string_view bytes)
{
    if (master_ < 0 || bytes.empty())
        return 0;
    const ssize_t written = ::write(master_, bytes.data(), bytes.size());
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}
