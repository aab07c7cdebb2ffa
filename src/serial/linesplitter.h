#pragma once

#include <cstring>
#include <string_view>

#include "serial/rxbuffer.h"

namespace tremolex {

// Cuts the text received in one event into lines ended by a line feed and hands each
// complete line, without its line feed, to `onLine`. Text after the last line feed
// waits in `pending` for the next event. A line longer than RxBuffer::kCapacity is
// dropped whole, however the text was split into events. Allocates nothing.
template <typename OnLine>
void splitLines(RxBuffer& pending, std::string_view chunk, OnLine&& onLine) {
    while (!chunk.empty()) {
        const void* found = std::memchr(chunk.data(), '\n', chunk.size());
        if (found == nullptr) {
            pending.append(chunk);
            return;
        }
        const auto length =
            static_cast<std::size_t>(static_cast<const char*>(found) - chunk.data());
        const std::string_view head = chunk.substr(0, length);
        chunk.remove_prefix(length + 1);
        if (pending.empty()) {
            if (head.size() <= RxBuffer::kCapacity) {
                onLine(head);
            }
            continue;
        }
        pending.append(head);
        if (!pending.overlong()) {
            onLine(pending.text());
        }
        pending.clear();
    }
}

}  // namespace tremolex
