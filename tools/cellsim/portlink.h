#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tremolex::cellsim {

// The entry com<N> in the program's ports folder that makes the simulated device port N.
// It only ever changes or removes the entry it made itself: an entry that was there
// before, or that someone put in its place, is left as it is.
class PortLink {
public:
    enum class Outcome {
        Made,
        Taken,     // the entry exists and is not this link's
        NoneFree,  // every one of com1..com12 exists
        Failed,    // the folder or the link cannot be made; error() says why
    };

    static constexpr int kHighestAutomaticPort = 12;

    PortLink() = default;
    ~PortLink() { release(); }
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;

    // Makes com<port> a link to `target`, creating the ports folder; without a port, the
    // highest of 1..12 that has no entry. An existing entry is never replaced.
    Outcome claim(std::optional<int> port, const std::filesystem::path& target);

    // Points the link at `target` instead. False, and the link is no longer held, when the
    // entry is not the one this made any more (then it is left alone) or cannot be written.
    bool retarget(const std::filesystem::path& target);

    // Removes the entry when it is still the link this made.
    void release();

    bool held() const { return m_held; }
    int port() const { return m_port; }
    const std::filesystem::path& entry() const { return m_entry; }
    const std::string& error() const { return m_error; }

private:
    bool stillOurs() const;
    int make(const std::filesystem::path& entry, const std::filesystem::path& target);

    bool m_held = false;
    int m_port = 0;
    std::filesystem::path m_entry;
    std::filesystem::path m_target;
    std::string m_error;
};

}  // namespace tremolex::cellsim
