#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace tremolex {

// One key of named text values for the current user (the registry key of the
// Windows program; a text file on Linux). Shaped after the registry calls the
// settings need: create, open for reading or writing, query into a bounded
// buffer, set, close. Names are short ASCII texts without '=' or line breaks.
class KeyStore {
public:
    enum class Access { Read, Write };

    // An open key. Destroying it closes it.
    class Key {
    public:
        virtual ~Key() = default;

        // Copies the value's data (its text followed by one zero byte) into `buffer` and
        // returns the size of that data in bytes. Returns nothing when the value is absent,
        // its data does not fit in `buffer`, or it cannot be read.
        virtual std::optional<std::size_t> query(std::string_view name, std::span<char> buffer) = 0;

        // Stores `text` under `name`, replacing earlier data; on return the value is
        // stored for good. False when it could not be stored.
        virtual bool set(std::string_view name, std::string_view text) = 0;
    };

    virtual ~KeyStore() = default;

    // Creates the key when it is missing. False when it neither exists nor can be made.
    virtual bool create() = 0;

    // Opens the key; null when it is missing or cannot be opened.
    virtual std::unique_ptr<Key> open(Access access) = 0;
};

}  // namespace tremolex
