#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "platform/dialogs.h"
#include "platform/keystore.h"
#include "platform/label.h"

// What the benchmarks put where a window or a settings file would be, which are not what
// they measure; and the floor a text's reading is measured against.
namespace tremolex::bench {

class NullLabel final : public Label {
public:
    void setCaption(std::string_view) override {}
    void setBackColor(Color) override {}
    void setForeColor(Color) override {}
    void setTop(float) override {}
    void setToolTip(std::string_view) override {}
};

class NullDialogs final : public Dialogs {
public:
    std::string InputBox(std::string_view, std::string_view, std::string_view) override {
        return {};
    }
    void MsgBox(std::string_view, std::string_view) override {}
    bool askYesNo(std::string_view, std::string_view) override { return false; }
};

class NullKeyStore final : public KeyStore {
public:
    bool create() override { return false; }
    std::unique_ptr<Key> open(Access) override { return nullptr; }
};

// The line feeds of a text, found with memchr: the least any reading of its lines costs.
inline std::size_t countLines(std::string_view text) {
    std::size_t lines = 0;
    while (const void* found = std::memchr(text.data(), '\n', text.size())) {
        ++lines;
        text.remove_prefix(static_cast<std::size_t>(static_cast<const char*>(found) - text.data()) +
                           1);
    }
    return lines;
}

}  // namespace tremolex::bench
