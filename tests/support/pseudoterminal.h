#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tremolex {

// A pseudo-terminal standing in for a measuring device: what is written here arrives at
// whoever opened slavePath(), byte for byte (the line is raw: nothing echoes back and
// no line ending is translated). Closing the master is the device going away.
class PseudoTerminal {
public:
    PseudoTerminal() { reopen(); }  // a test fails when that is impossible
    ~PseudoTerminal() { hangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // The master's descriptor: on Linux its terminal settings are the reader's side's.
    int master() const { return m_master; }
    // The device node to open, "" while hung up.
    const std::string& slavePath() const { return m_slavePath; }

    // Writes without blocking as much as the kernel takes now; returns how much that was.
    // A reader that does not read stops taking bytes after about 20 KB.
    std::size_t write(std::string_view bytes);
    // Bytes written that the reader has not taken yet.
    std::size_t unread() const;

    // The device goes away: the reader's next read fails.
    void hangUp();
    // A new pseudo-terminal, usually at another path; hangs the old one up first.
    void reopen();

private:
    int m_master = -1;
    int m_slave = -1;  // held so the raw settings stay while no reader has the line open
    std::string m_slavePath;
};

// Makes port n of the program the device `target`: the entry com<n> in the ports folder of
// the (test's own) config folder, replacing any entry there.
void mapPort(int n, const std::filesystem::path& target);

// Points ports 1..12 at paths that do not exist, so no test ever opens a real device such
// as /dev/ttyS0 (often the kernel console) by mistake.
void mapAllPortsAway();

}  // namespace tremolex
