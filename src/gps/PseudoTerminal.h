// A pseudo-terminal pair that stands in for a serial receiver: what is
// written to the master side arrives at the slave device, which the serial
// driver opens like any port. Used by log replay and by the tests.
#pragma once

#include <QString>
#include <string_view>

class TPseudoTerminal {
public:
    TPseudoTerminal() = default;
    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    // Creates the pair in raw mode (no echo, no line editing). False with
    // ErrorText() when the system has no pseudo-terminal to give.
    bool Open();
    void Close();
    bool IsOpen() const { return master_ >= 0; }

    // The device path a reader opens, e.g. "/dev/pts/3".
    const QString& SlavePath() const { return slavePath_; }
    int MasterHandle() const { return master_; }
    // True while some program holds the slave device open.
    bool HasReader() const;

    // Writes what the terminal accepts at once (never blocks) and returns
    // how many bytes that was.
    std::size_t Write(std::string_view bytes);

    const QString& ErrorText() const { return errorText_; }

private:
    int master_ = -1;
    QString slavePath_;
    QString errorText_;
};
